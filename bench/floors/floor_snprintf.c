/* Floor: formatting the 24 values an export assigns per record with
 * snprintf (text left-justified, numbers with their decimals,
 * right-justified), without any I/O. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bench_report.h"
#include "floor_common.h"

/* Keeps the formatting from being optimised away. */
volatile unsigned long floor_sink;

int main(int argc, char** argv) {
  char path[4096];
  long rows = floor_setup(argc, argv, path, sizeof path, "unused");
  dj_values* pool = malloc(sizeof(dj_values) * DJ_POOL_SIZE);
  for (long r = 0; r < DJ_POOL_SIZE; ++r)
    dj_make_values(r, &pool[r]);
  char record[DJ_RECORD_LENGTH + 1];
  int offsets[DJ_FIELD_COUNT];
  for (int i = 0, offset = 1; i < DJ_FIELD_COUNT; offset += dj_fields[i].length, ++i)
    offsets[i] = offset;
  unsigned long checksum = 0;
  bench_reset_peak_rss();

  double start = bench_now();
  for (long r = 0; r < rows; ++r) {
    const dj_values* values = &pool[r % DJ_POOL_SIZE];
    for (int a = 0; a < DJ_ASSIGNED_COUNT; ++a) {
      int field = dj_assigned[a];
      const dj_field* f = &dj_fields[field];
      char* out = record + offsets[field];
      if (f->type == 'N') {
        snprintf(out, (size_t)f->length + 1, "%*.*f", f->length, f->decimals,
                 values->number[field]);
      } else {
        snprintf(out, (size_t)f->length + 1, "%-*s", f->length, values->text[field]);
      }
    }
    checksum += (unsigned char)record[1 + (r % (DJ_RECORD_LENGTH - 1))];
  }
  double seconds = bench_now() - start;

  bench_print_result("floor-snprintf", rows, seconds, bench_peak_rss_kib());
  floor_sink = checksum;
  free(pool);
  return 0;
}
