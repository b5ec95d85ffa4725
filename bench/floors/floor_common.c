#include "floor_common.h"

#include <stdlib.h>
#include <string.h>

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
