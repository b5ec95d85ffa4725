// Peer: xbase64's dBase IV tables on the Djinal records.
//
//   xbase64-append  a new table of the 38 fields; per record a blank record,
//                   the 24 fields the export assigns (PutField with the
//                   value's text), AppendRecord.
//   xbase64-memo    a new table ID N(11), NAME M; per record the id and a
//                   600-character memo (UpdateMemoData), as the supplier
//                   export writes a supplier whose name is a memo.
//   xbase64-walk    every field of every record of the appended table read
//                   back (GetField).
#include <xbase64/xbase64.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_report.h"
#include "djinal_record.h"

namespace {

// Keeps the reads from being optimised away.
volatile unsigned long sink;

constexpr int kMemoLength = 600;

// The value texts PutField takes: numbers without padding, text as it is.
std::vector<std::string> value_pool() {
  std::vector<std::string> pool(static_cast<size_t>(DJ_POOL_SIZE) * DJ_FIELD_COUNT);
  dj_values values;
  for (long r = 0; r < DJ_POOL_SIZE; ++r) {
    dj_make_values(r, &values);
    for (int f = 0; f < DJ_FIELD_COUNT; ++f) {
      std::string& text = pool[static_cast<size_t>(r * DJ_FIELD_COUNT + f)];
      if (dj_fields[f].type == 'N') {
        char number[64];
        std::snprintf(number, sizeof number, "%.*f", dj_fields[f].decimals, values.number[f]);
        text = number;
      } else {
        text = values.text[f];
      }
    }
  }
  return pool;
}

int append(const std::string& path, long rows) {
  std::vector<std::string> pool = value_pool();
  std::vector<xbSchema> schema(DJ_FIELD_COUNT + 1);
  for (int f = 0; f < DJ_FIELD_COUNT; ++f) {
    std::strncpy(schema[f].FieldName, dj_fields[f].name, 10);
    schema[f].Type = dj_fields[f].type;
    schema[f].FieldLen = static_cast<unsigned char>(dj_fields[f].length);
    schema[f].NoOfDecs = static_cast<unsigned char>(dj_fields[f].decimals);
  }
  bench_reset_peak_rss();
  double start = bench_now();
  xbXBase base;
  xbDbf table(&base);
  table.SetVersion(4);
  if (table.CreateDatabase(path.c_str(), schema.data(), XB_OVERLAY) != XB_NO_ERROR) return 1;
  for (long r = 0; r < rows; ++r) {
    const std::string* record = &pool[static_cast<size_t>((r % DJ_POOL_SIZE) * DJ_FIELD_COUNT)];
    table.BlankRecord();
    for (int field : dj_assigned)
      table.PutField(static_cast<xbShort>(field), record[field].c_str());
    if (table.AppendRecord() != XB_NO_ERROR) return 1;
  }
  table.CloseDatabase();
  double seconds = bench_now() - start;
  bench_print_result("xbase64-append", rows, seconds, bench_peak_rss_kib());
  return 0;
}

int memo(const std::string& path, long rows) {
  std::string text;
  while (text.size() < kMemoLength)
    text.append("Supplier of medicines and medical products, licence 77-01-000123; ");
  text.resize(kMemoLength);
  xbSchema schema[] = {{"ID", 'N', 11, 0}, {"NAME", 'M', 10, 0}, {"", 0, 0, 0}};
  bench_reset_peak_rss();
  double start = bench_now();
  xbXBase base;
  xbDbf table(&base);
  table.SetVersion(4);
  if (table.CreateDatabase(path.c_str(), schema, XB_OVERLAY) != XB_NO_ERROR) return 1;
  for (long r = 0; r < rows; ++r) {
    table.BlankRecord();
    table.PutLongField(static_cast<xbShort>(0), r + 1);
    if (table.UpdateMemoData(1, kMemoLength, text.c_str(), XB_LOCK) != XB_NO_ERROR) return 1;
    if (table.AppendRecord() != XB_NO_ERROR) return 1;
  }
  table.CloseDatabase();
  double seconds = bench_now() - start;
  bench_print_result("xbase64-memo", rows, seconds, bench_peak_rss_kib());
  return 0;
}

int walk(const std::string& path) {
  bench_reset_peak_rss();
  double start = bench_now();
  xbXBase base;
  xbDbf table(&base);
  if (table.OpenDatabase(path.c_str()) != XB_NO_ERROR) return 1;
  const auto fields = static_cast<xbShort>(table.FieldCount());
  char buffer[256];
  unsigned long total = 0;
  long records = 0;
  for (xbShort rc = table.GetFirstRecord(); rc == XB_NO_ERROR; rc = table.GetNextRecord()) {
    for (xbShort f = 0; f < fields; ++f) {
      table.GetField(f, buffer);
      total += std::strlen(buffer);
    }
    ++records;
  }
  table.CloseDatabase();
  double seconds = bench_now() - start;
  sink = total;
  bench_print_result("xbase64-walk", records, seconds, bench_peak_rss_kib());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  long rows = 0;
  const char* dir = nullptr;
  const char* which = nullptr;
  if (!bench_parse_arguments(argc, argv, "[--case append|memo|walk] [--rows N] [--dir FOLDER]",
                             &rows, &dir, &which))
    return 2;
  char table_path[4096];
  char memo_path[4096];
  bench_path(table_path, sizeof table_path, dir != nullptr ? dir : ".", "xbase64_djinal.dbf");
  bench_path(memo_path, sizeof memo_path, dir != nullptr ? dir : ".", "xbase64_memo.dbf");
  const std::string all = which == nullptr ? "" : which;
  int failed = 0;
  if (all.empty() || all == "append") failed |= append(table_path, rows);
  if (all.empty() || all == "memo") failed |= memo(memo_path, rows);
  if (all.empty() || all == "walk") failed |= walk(table_path);
  if (failed) std::fprintf(stderr, "xbase64 peer failed in %s\n", dir != nullptr ? dir : ".");
  return failed;
}
