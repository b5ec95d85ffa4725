// Field lists as an export hands them to the table creator: each line of the
// input is one field specification ("NAME;T;LEN;DEC"). The list is parsed
// on its own, then a table of the flavour chosen by the first byte is created
// from it; when that succeeds a record is appended with a value in every
// field and the table is opened again and read.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dbf/create_dbf_dataset.h"
#include "dbf/dbf_dataset.h"
#include "dbf/field_spec.h"
#include "fuzz_support.h"
#include "memory_file_system.h"

namespace pharmex::fuzzing {
namespace {

constexpr std::string_view kTable = "/fuzz/NEW.DBF";

std::vector<std::string> lines_of(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    lines.emplace_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

void append_and_read(MemoryFileSystem& files, dbf::TDbfDataSet& table) {
  table.Append();
  for (int i = 0; i < table.FieldCount(); ++i) {
    refused([&] { table.Fields(i).SetValue(Variant::real(-12.5)); });
    refused([&] { table.Fields(i).SetValue(Variant::ascii("2024-02-29 text")); });
  }
  table.Post();
  table.Close();
  dbf::TDbfDataSet again(options_on(files));
  again.SetTableName(kTable);
  again.SetReadOnly(true);
  again.Open();
  for (again.First(); !again.Eof(); again.Next()) {
    for (int i = 0; i < again.FieldCount(); ++i)
      again.Fields(i).Value();
  }
}

}  // namespace
}  // namespace pharmex::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pharmex::fuzzing;
  using pharmex::dbf::TDbfTypes;
  if (size < 1) return 0;
  const std::vector<std::string> lines = lines_of(as_text(data + 1, size - 1));
  pharmex::dbf::ParseFieldList(lines);
  MemoryFileSystem files;
  {
    pharmex::dbf::TDbfDataSet table(options_on(files));
    table.SetTableName(kTable);
    pharmex::dbf::TCreateDbfDataSet creator(options_on(files));
    creator.SetDBFTable(&table);
    creator.SetDBFType(static_cast<TDbfTypes>(data[0] % 4));
    creator.SetAutoOverwrite(true);
    creator.SetCreateFields(lines);
    refused([&] {
      if (creator.CreateTable()) append_and_read(files, table);
    });
  }
  expect_no_open_files();
  return 0;
}
