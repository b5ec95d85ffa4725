/* Floor: the table's bytes written as one buffered stream of ready record
 * images (header, records, end-of-file mark), the least any writer of the
 * file can do. */
#include <stdio.h>
#include <stdlib.h>

#include "bench_report.h"
#include "floor_common.h"

int main(int argc, char** argv) {
  char path[4096];
  long rows = floor_setup(argc, argv, path, sizeof path, "floor_stream.dbf");
  char* pool = floor_record_pool();
  char header[DJ_HEADER_LENGTH];
  dj_format_header(header, (unsigned)rows);
  bench_reset_peak_rss();

  double start = bench_now();
  FILE* file = fopen(path, "wb");
  if (file == NULL) {
    perror(path);
    return 1;
  }
  fwrite(header, 1, sizeof header, file);
  for (long r = 0; r < rows; ++r)
    fwrite(pool + (r % DJ_POOL_SIZE) * (DJ_RECORD_LENGTH + 1), 1, DJ_RECORD_LENGTH, file);
  fputc(0x1A, file);
  if (fclose(file) != 0) {
    perror(path);
    return 1;
  }
  double seconds = bench_now() - start;

  bench_print_result("floor-stream", rows, seconds, bench_peak_rss_kib());
  free(pool);
  return 0;
}
