/* Floor: every system call an append to a table opened shared makes, and
 * nothing else: take the append lock (a one-byte open-file-description lock
 * far beyond the data), re-read the 32-byte header and the file size (another
 * writer may have appended), write the record with the end-of-file mark, write
 * the header, give the lock back. The two-write floor is the part of it that
 * reaches the file. */
#define _GNU_SOURCE
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "bench_report.h"
#include "floor_common.h"

static int set_lock(int fd, short type) {
  struct flock range = {0};
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = 0x7FFFFFFE;
  range.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &range);
}

int main(int argc, char** argv) {
  char path[4096];
  long rows = floor_setup(argc, argv, path, sizeof path, "floor_protocol.dbf");
  char* pool = floor_record_pool();
  char header[DJ_HEADER_LENGTH];
  char fresh[32];
  bench_reset_peak_rss();

  double start = bench_now();
  int fd = floor_create_table(path, header);
  if (fd < 0) return 1;
  for (long r = 0; r < rows; ++r) {
    if (set_lock(fd, F_WRLCK) != 0) return 1;
    struct stat info;
    if (pread(fd, fresh, sizeof fresh, 0) != (ssize_t)sizeof fresh || fstat(fd, &info) != 0)
      return 1;
    long count = (long)(info.st_size - DJ_HEADER_LENGTH) / DJ_RECORD_LENGTH;
    const char* record = pool + (r % DJ_POOL_SIZE) * (DJ_RECORD_LENGTH + 1);
    off_t offset = DJ_HEADER_LENGTH + (off_t)count * DJ_RECORD_LENGTH;
    if (pwrite(fd, record, DJ_RECORD_LENGTH + 1, offset) != DJ_RECORD_LENGTH + 1) return 1;
    floor_store_count(header, (unsigned long)count + 1);
    if (pwrite(fd, header, 32, 0) != 32) return 1;
    if (set_lock(fd, F_UNLCK) != 0) return 1;
  }
  if (close(fd) != 0) return 1;
  double seconds = bench_now() - start;

  bench_print_result("floor-protocol", rows, seconds, bench_peak_rss_kib());
  free(pool);
  return 0;
}
