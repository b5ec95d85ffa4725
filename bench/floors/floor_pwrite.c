/* Floor: the writes every post must make, and nothing else: the record with
 * the end-of-file mark behind it in one positioned write, then the 32-byte
 * header with the new count in another. */
#define _POSIX_C_SOURCE 200809L
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include "bench_report.h"
#include "floor_common.h"

int main(int argc, char** argv) {
  char path[4096];
  long rows = floor_setup(argc, argv, path, sizeof path, "floor_pwrite.dbf");
  char* pool = floor_record_pool();
  char header[DJ_HEADER_LENGTH];
  bench_reset_peak_rss();

  double start = bench_now();
  int fd = floor_create_table(path, header);
  if (fd < 0) return 1;
  for (long r = 0; r < rows; ++r) {
    const char* record = pool + (r % DJ_POOL_SIZE) * (DJ_RECORD_LENGTH + 1);
    off_t offset = DJ_HEADER_LENGTH + (off_t)r * DJ_RECORD_LENGTH;
    if (pwrite(fd, record, DJ_RECORD_LENGTH + 1, offset) != DJ_RECORD_LENGTH + 1) return 1;
    floor_store_count(header, (unsigned long)r + 1);
    if (pwrite(fd, header, 32, 0) != 32) return 1;
  }
  if (close(fd) != 0) return 1;
  double seconds = bench_now() - start;

  bench_print_result("floor-pwrite", rows, seconds, bench_peak_rss_kib());
  free(pool);
  return 0;
}
