// Reads and rewrites the memos of a table whose memo file is fuzzed, in each
// memo flavour: dBase III (.dbt, texts ended by 0x1A), dBase IV (.dbt, length
// words and a free-block chain) and FoxPro (.fpt, big-endian headers).
//
// Input: byte 0 chooses the flavour, bytes 1-8 are the block numbers of the
// table's four records (16 bits each), the rest is the memo file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "dbf/create_dbf_dataset.h"
#include "dbf/dbf_dataset.h"
#include "fuzz_support.h"
#include "memory_file_system.h"

namespace pharmex::fuzzing {
namespace {

constexpr std::string_view kTable = "/fuzz/M.DBF";
constexpr int kRecords = 4;
// NAME C(10) then NOTE M(10): the block number of record r is at this
// offset of the record.
constexpr size_t kNoteOffset = 11;

struct Flavour {
  dbf::TDbfTypes type;
  std::string_view memo_path;
};
constexpr std::array<Flavour, 3> kFlavours = {{{dbf::TDbfTypes::DBaseIII, "/fuzz/M.DBT"},
                                               {dbf::TDbfTypes::DBaseIV, "/fuzz/M.DBT"},
                                               {dbf::TDbfTypes::FoxPro2, "/fuzz/M.FPT"}}};

// A table of four records with memos, made once per flavour by the engine.
std::string make_table(dbf::TDbfTypes type) {
  MemoryFileSystem files;
  dbf::TDbfDataSet table(options_on(files));
  table.SetTableName(kTable);
  dbf::TCreateDbfDataSet creator(options_on(files));
  creator.SetDBFTable(&table);
  creator.SetDBFType(type);
  creator.SetAutoOverwrite(true);
  creator.SetCreateFields({"NAME;C;10;0", "NOTE;M;0;0"});
  creator.CreateTable();
  for (int r = 0; r < kRecords; ++r) {
    table.Append();
    table.FieldByName("NAME").SetValue(Variant::ascii("r" + std::to_string(r)));
    table.FieldByName("NOTE").SetValue(Variant::ascii("text"));
    table.Post();
  }
  table.Close();
  return files.bytes(kTable);
}

const std::string& table_of(size_t flavour) {
  static const std::array<std::string, 3> tables = {
      make_table(kFlavours[0].type), make_table(kFlavours[1].type), make_table(kFlavours[2].type)};
  return tables[flavour];
}

// The table with the records pointing at the given blocks.
std::string with_blocks(std::string table, const uint8_t* numbers) {
  const size_t header = static_cast<uint8_t>(table[8]) | static_cast<uint8_t>(table[9]) << 8;
  const size_t record = static_cast<uint8_t>(table[10]) | static_cast<uint8_t>(table[11]) << 8;
  for (int r = 0; r < kRecords; ++r) {
    const unsigned block = numbers[2 * r] | numbers[2 * r + 1] << 8;
    std::string text = std::to_string(block);
    text.insert(0, 10 - text.size(), ' ');
    table.replace(header + static_cast<size_t>(r) * record + kNoteOffset, 10, text);
  }
  return table;
}

void read_and_rewrite(dbf::TDbfDataSet& table) {
  dbf::TDbfField& note = table.FieldByName("NOTE");
  for (table.First(); !table.Eof(); table.Next())
    refused([&] { note.Value(); });
  // Rewrite each memo longer (freeing and reusing blocks), then shorter,
  // then empty; add one more record with a memo.
  int r = 0;
  for (table.First(); !table.Eof(); table.Next(), ++r) {
    table.Edit();
    refused([&] {
      note.SetValue(Variant::ascii(std::string(300 + 400 * r, static_cast<char>('a' + r))));
    });
    refused([&] { note.SetValue(Variant::ascii(r % 2 ? "" : "short")); });
    table.Post();
  }
  table.Append();
  refused([&] { note.SetValue(Variant::ascii(std::string(1000, 'z'))); });
  table.Post();
  for (table.First(); !table.Eof(); table.Next())
    refused([&] { note.Value(); });
}

}  // namespace
}  // namespace pharmex::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pharmex::fuzzing;
  if (size < 9) return 0;
  const size_t flavour = data[0] % kFlavours.size();
  MemoryFileSystem files;
  files.add(kTable, with_blocks(table_of(flavour), data + 1));
  files.add(kFlavours[flavour].memo_path, as_text(data + 9, size - 9));
  {
    pharmex::dbf::TDbfDataSet table(options_on(files));
    table.SetTableName(kTable);
    // A memo lock is never refused in memory; no waiting between attempts.
    pharmex::dbf::TLockRetry retry;
    retry.sleep = [](std::chrono::milliseconds) {};
    table.SetLockRetry(retry);
    refused([&] {
      table.Open();
      read_and_rewrite(table);
    });
    refused([&] { table.Close(); });
  }
  expect_no_open_files();
  return 0;
}
