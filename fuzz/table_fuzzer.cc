// Opens a fuzzed table (optionally with a memo file after kMemoMarker) of any
// version the reader accepts, walks every record reading every field, memos
// included, then appends a record and edits the first one, as an export and
// a peer program would.
#include <cstddef>
#include <cstdint>

#include "dbf/dbf_dataset.h"
#include "fuzz_support.h"
#include "memory_file_system.h"

namespace pharmex::fuzzing {
namespace {

constexpr std::string_view kTable = "/fuzz/T.DBF";

void walk(dbf::TDbfDataSet& table) {
  for (table.First(); !table.Eof(); table.Next()) {
    for (int i = 0; i < table.FieldCount(); ++i)
      table.Fields(i).Value();
  }
  table.SetExactCount(true);
  table.RecordCount();
}

// A value every field kind takes or refuses with a message.
void fill(dbf::TDbfDataSet& table, const Variant& value) {
  for (int i = 0; i < table.FieldCount(); ++i) {
    refused([&] { table.Fields(i).SetValue(value); });
  }
}

void write(dbf::TDbfDataSet& table) {
  table.Append();
  fill(table, Variant::ascii("42"));
  table.Post();
  table.First();
  if (table.Eof()) return;
  table.Edit();
  fill(table, Variant::ascii(std::string(700, 'x')));
  table.Post();
}

}  // namespace
}  // namespace pharmex::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pharmex::fuzzing;
  const auto [table_bytes, memo_bytes] = split_at(as_text(data, size), kMemoMarker);
  for (bool read_only : {true, false}) {
    MemoryFileSystem files;
    files.add(kTable, table_bytes);
    if (!memo_bytes.empty()) {
      files.add("/fuzz/T.DBT", memo_bytes);
      files.add("/fuzz/T.FPT", memo_bytes);
    }
    {
      pharmex::dbf::TDbfDataSet table(options_on(files));
      table.SetTableName(kTable);
      table.SetReadOnly(read_only);
      table.SetUseDeleted(read_only);
      table.SetLargeIntegerAs(pharmex::dbf::TIntFields::asLargeInt);
      refused([&] {
        table.Open();
        walk(table);
        if (!read_only) write(table);
      });
      refused([&] { table.Close(); });
    }
    expect_no_open_files();
  }
  return 0;
}
