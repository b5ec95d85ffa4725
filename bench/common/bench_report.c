#define _POSIX_C_SOURCE 200809L
#include "bench_report.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

int bench_parse_arguments(int argc, char** argv, const char* usage, long* rows, const char** dir,
                          const char** case_name) {
  *rows = BENCH_DEFAULT_ROWS;
  *dir = NULL;
  if (case_name != NULL) *case_name = NULL;
  for (int i = 1; i < argc; i += 2) {
    const char* value = i + 1 < argc ? argv[i + 1] : NULL;
    int known = value != NULL;
    if (known && strcmp(argv[i], "--rows") == 0) {
      char* end = NULL;
      *rows = strtol(value, &end, 10);
      known = *end == 0 && *rows >= 0;
    } else if (known && strcmp(argv[i], "--dir") == 0) {
      *dir = value;
    } else if (known && case_name != NULL && strcmp(argv[i], "--case") == 0) {
      *case_name = value;
    } else {
      known = 0;
    }
    if (!known) {
      fprintf(stderr, "usage: %s %s\n", argv[0], usage);
      return 0;
    }
  }
  return 1;
}

double bench_now(void) {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

double bench_cpu_now(void) {
  struct timespec now;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return (double)now.tv_sec + (double)now.tv_nsec / 1e9;
}

void bench_reset_peak_rss(void) {
  /* "5" resets the peak ("VmHWM") to the current resident set. */
  int fd = open("/proc/self/clear_refs", O_WRONLY);
  if (fd < 0) return;
  if (write(fd, "5", 1) != 1) {
    /* Not allowed here: the peak then includes the preparation. */
  }
  close(fd);
}

long bench_peak_rss_kib(void) {
  FILE* status = fopen("/proc/self/status", "r");
  if (status != NULL) {
    char line[256];
    long kib = -1;
    while (fgets(line, sizeof line, status) != NULL) {
      if (strncmp(line, "VmHWM:", 6) == 0) {
        kib = strtol(line + 6, NULL, 10);
        break;
      }
    }
    fclose(status);
    if (kib >= 0) return kib;
  }
  struct rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss; /* KiB on Linux */
}

void bench_print_result(const char* case_name, long rows, double seconds, long peak_rss_kib) {
  double per_second = seconds > 0 ? (double)rows / seconds : 0;
  printf(
      "{\"case\":\"%s\",\"rows\":%ld,\"seconds\":%.6f,\"rows_per_second\":%.0f,"
      "\"peak_rss_kib\":%ld}\n",
      case_name, rows, seconds, per_second, peak_rss_kib);
  fflush(stdout);
}

void bench_print_result_cpu(const char* case_name, long rows, double seconds, double cpu_seconds,
                            long peak_rss_kib) {
  double per_second = seconds > 0 ? (double)rows / seconds : 0;
  printf(
      "{\"case\":\"%s\",\"rows\":%ld,\"seconds\":%.6f,\"cpu_seconds\":%.6f,"
      "\"rows_per_second\":%.0f,\"peak_rss_kib\":%ld}\n",
      case_name, rows, seconds, cpu_seconds, per_second, peak_rss_kib);
  fflush(stdout);
}

void bench_path(char* out, unsigned size, const char* dir, const char* name) {
  size_t length = strlen(dir);
  const char* separator = length > 0 && dir[length - 1] == '/' ? "" : "/";
  snprintf(out, size, "%s%s%s", dir, separator, name);
}
