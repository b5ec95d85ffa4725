#define _POSIX_C_SOURCE 200809L
#include "floor_common.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "bench_report.h"

char* floor_record_pool(void) {
  char* pool = malloc((size_t)DJ_POOL_SIZE * (DJ_RECORD_LENGTH + 1));
  dj_values values;
  for (long r = 0; r < DJ_POOL_SIZE; ++r) {
    char* record = pool + r * (DJ_RECORD_LENGTH + 1);
    dj_make_values(r, &values);
    dj_format_record(&values, record);
    record[DJ_RECORD_LENGTH] = 0x1A;
  }
  return pool;
}

long floor_setup(int argc, char** argv, char* path, unsigned size, const char* file_name) {
  long rows = 0;
  const char* dir = NULL;
  if (!bench_parse_arguments(argc, argv, "[--rows N] [--dir FOLDER]", &rows, &dir, NULL)) exit(2);
  bench_path(path, size, dir != NULL ? dir : ".", file_name);
  return rows;
}

int floor_create_table(const char* path, char* header) {
  int fd = open(path, O_RDWR | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) {
    perror(path);
    return -1;
  }
  dj_format_header(header, 0);
  if (pwrite(fd, header, DJ_HEADER_LENGTH, 0) != (ssize_t)DJ_HEADER_LENGTH) {
    perror(path);
    close(fd);
    return -1;
  }
  return fd;
}

void floor_store_count(char* header, unsigned long count) {
  header[4] = (char)(count & 0xFF);
  header[5] = (char)((count >> 8) & 0xFF);
  header[6] = (char)((count >> 16) & 0xFF);
  header[7] = (char)((count >> 24) & 0xFF);
}
