/* Peer: shapelib's dBase writer and reader on the Djinal records.
 *
 *   shapelib-append  a new table of the 38 fields; per record the 24 fields
 *                    the export assigns, each handed over pre-formatted
 *                    (DBFWriteAttributeDirectly; shapelib leaves the other 14
 *                    blank). shapelib writes the header once, at the end.
 *   shapelib-walk    every field of every record of that table read back
 *                    (DBFReadStringAttribute).
 */
#include <shapefil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "bench_report.h"
#include "djinal_record.h"

/* Keeps the reads from being optimised away. */
volatile unsigned long peer_sink;

typedef char field_text[104];

static field_text* formatted_pool(void) {
  field_text* pool = malloc(sizeof(field_text) * DJ_FIELD_COUNT * DJ_POOL_SIZE);
  dj_values values;
  for (long r = 0; r < DJ_POOL_SIZE; ++r) {
    dj_make_values(r, &values);
    for (int f = 0; f < DJ_FIELD_COUNT; ++f) {
      char* text = pool[r * DJ_FIELD_COUNT + f];
      dj_format_field(&values, f, text);
      text[dj_fields[f].length] = 0;
    }
  }
  return pool;
}

static int append(const char* path, long rows) {
  field_text* pool = formatted_pool();
  bench_reset_peak_rss();
  double start = bench_now();
  DBFHandle table = DBFCreate(path);
  if (table == NULL) return 1;
  for (int f = 0; f < DJ_FIELD_COUNT; ++f) {
    if (DBFAddNativeFieldType(table, dj_fields[f].name, dj_fields[f].type, dj_fields[f].length,
                              dj_fields[f].decimals) < 0)
      return 1;
  }
  for (long r = 0; r < rows; ++r) {
    field_text* record = &pool[(r % DJ_POOL_SIZE) * DJ_FIELD_COUNT];
    for (int a = 0; a < DJ_ASSIGNED_COUNT; ++a) {
      int f = dj_assigned[a];
      if (!DBFWriteAttributeDirectly(table, (int)r, f, record[f])) return 1;
    }
  }
  DBFClose(table);
  double seconds = bench_now() - start;
  bench_print_result("shapelib-append", rows, seconds, bench_peak_rss_kib());
  free(pool);
  return 0;
}

static int walk(const char* path) {
  bench_reset_peak_rss();
  double start = bench_now();
  DBFHandle table = DBFOpen(path, "rb");
  if (table == NULL) return 1;
  int records = DBFGetRecordCount(table);
  int fields = DBFGetFieldCount(table);
  unsigned long total = 0;
  for (int r = 0; r < records; ++r) {
    for (int f = 0; f < fields; ++f)
      total += strlen(DBFReadStringAttribute(table, r, f));
  }
  DBFClose(table);
  double seconds = bench_now() - start;
  peer_sink = total;
  bench_print_result("shapelib-walk", records, seconds, bench_peak_rss_kib());
  return 0;
}

int main(int argc, char** argv) {
  long rows = 0;
  const char* dir = NULL;
  const char* which = NULL;
  if (!bench_parse_arguments(argc, argv, "[--case append|walk] [--rows N] [--dir FOLDER]", &rows,
                             &dir, &which))
    return 2;
  char path[4096];
  bench_path(path, sizeof path, dir != NULL ? dir : ".", "shapelib_djinal.dbf");
  int failed = 0;
  if (which == NULL || strcmp(which, "append") == 0) failed |= append(path, rows);
  if (which == NULL || strcmp(which, "walk") == 0) failed |= walk(path);
  if (failed) fprintf(stderr, "shapelib peer: %s failed\n", path);
  return failed;
}
