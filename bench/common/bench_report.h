/* What every benchmark program shares: its command line, the clock, peak
 * resident memory and the one JSON line it prints per case:
 *
 *   {"case":"djinal","rows":200000,"seconds":0.512,"rows_per_second":390625,
 *    "peak_rss_kib":6144}
 *
 * pharmex-bench adds "cpu_seconds", the processor time (user and system) of
 * the timed part: on a shared machine it varies far less than the elapsed
 * time, since waiting for a core does not count.
 *
 * Plain C, for the floor programs and the peers as well as pharmex-bench.
 */
#ifndef PHARMEX_BENCH_REPORT_H
#define PHARMEX_BENCH_REPORT_H

#ifdef __cplusplus
extern "C" {
#endif

/* Rows when --rows is not given. */
#define BENCH_DEFAULT_ROWS 200000L

/* Reads "--rows N" and "--dir FOLDER" (and, when `case_name` is not null,
 * "--case NAME"); prints the usage and returns 0 on anything else. `dir`
 * stays null when not given. */
int bench_parse_arguments(int argc, char** argv, const char* usage, long* rows, const char** dir,
                          const char** case_name);

/* Seconds on a monotonic clock. */
double bench_now(void);
/* Processor seconds (user and system) this process has used. */
double bench_cpu_now(void);

/* Starts measuring peak resident memory from now on (what was used before,
 * preparing the case, no longer counts) where the system allows it. */
void bench_reset_peak_rss(void);
/* Peak resident memory of the process in KiB (since the last reset). */
long bench_peak_rss_kib(void);

/* Prints the case's JSON line on standard output and flushes it. */
void bench_print_result(const char* case_name, long rows, double seconds, long peak_rss_kib);
/* The same with the processor seconds of the timed part. */
void bench_print_result_cpu(const char* case_name, long rows, double seconds, double cpu_seconds,
                            long peak_rss_kib);

/* A path in `dir` (which may lack its trailing "/"), into `out`. */
void bench_path(char* out, unsigned size, const char* dir, const char* name);

#ifdef __cplusplus
}
#endif

#endif
