#include "reliability/shared_table_workload.h"

#include <map>
#include <set>
#include <utility>

#include "core/error.h"
#include "core/regional_settings.h"
#include "dbf/create_dbf_dataset.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace pharmex::reliability {

namespace {

Variant utf8(const std::string& text) {
  return Variant::string(platform::utf8_to_utf16(text));
}

uint32_t le32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 4; i-- > 0;)
    value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

// Where NOTE's block number lies in a record: after the deletion flag,
// WRITER (4), SEQ (8) and NAME (40).
constexpr size_t kNoteOffset = 1 + 4 + 8 + 40;

}  // namespace

std::string name_of(int writer, int seq) {
  return "Запись " + std::to_string(writer) + "/" + std::to_string(seq);
}

std::string memo_of(int writer, int seq) {
  const size_t length = 1 + static_cast<size_t>(writer * 7919 + seq * 104729) % 1500;
  std::string text;
  while (text.size() < length)
    text += "w" + std::to_string(writer) + "s" + std::to_string(seq) + ";";
  text.resize(length);
  return text;
}

void create_shared_table(dbf::TDbfDataSet& table, const std::string& path, bool aside) {
  table.SetTableName(path);
  dbf::TCreateDbfDataSet creator;
  creator.SetDBFTable(&table);
  creator.SetDBFType(dbf::TDbfTypes::DBaseIV);
  creator.SetAutoOverwrite(true);
  creator.SetWriteAside(aside);
  creator.SetCreateFields({"WRITER;N;4;0", "SEQ;N;8;0", "NAME;C;40;0", "NOTE;M;0;0"});
  if (!creator.CreateTable()) throw Error("the table was not created");
}

void append_records(dbf::TDbfDataSet& table, int writer, int records) {
  dbf::TDbfField& who = table.FieldByName("WRITER");
  dbf::TDbfField& seq = table.FieldByName("SEQ");
  dbf::TDbfField& name = table.FieldByName("NAME");
  dbf::TDbfField& note = table.FieldByName("NOTE");
  for (int s = 0; s < records; ++s) {
    table.Append();
    who.SetValue(Variant::integer(writer));
    seq.SetValue(Variant::integer(s));
    name.SetValue(utf8(name_of(writer, s)));
    note.SetValue(utf8(memo_of(writer, s)));
    table.Post();
  }
}

void export_records(const std::string& path, int writer, int records) {
  dbf::TDbfDataSet table;
  create_shared_table(table, path, true);
  append_records(table, writer, records);
  const std::string wrong = walked_not_whole(table, writer, records);
  if (!wrong.empty()) throw Error("writer " + std::to_string(writer) + ": " + wrong);
  table.Commit();
}

WrittenRecord read_record(dbf::TDbfDataSet& table) {
  const RegionalSettings& settings = table.Settings();
  return {static_cast<int>(table.FieldByName("WRITER").Value().to_int64(settings)),
          static_cast<int>(table.FieldByName("SEQ").Value().to_int64(settings)),
          platform::utf16_to_utf8(table.FieldByName("NAME").Value().to_text(settings)),
          platform::utf16_to_utf8(table.FieldByName("NOTE").Value().to_text(settings))};
}

std::string walked_not_whole(dbf::TDbfDataSet& table, int writer, int records) {
  if (table.RecordCount() != records) return std::to_string(table.RecordCount()) + " records";
  int s = 0;
  for (table.First(); !table.Eof(); table.Next(), ++s) {
    const WrittenRecord got = read_record(table);
    if (got.writer != writer || got.seq != s || got.name != name_of(writer, s) ||
        got.note != memo_of(writer, s)) {
      return "record " + std::to_string(s + 1) + " is " + got.name;
    }
  }
  return "";
}

std::string not_whole(const TableImage& image, int writer, int records) {
  if (image.record_count != records || image.header_count != static_cast<uint32_t>(records))
    return std::to_string(image.record_count) + " records, header " +
           std::to_string(image.header_count);
  for (int s = 0; s < records; ++s) {
    const auto& values = image.values[static_cast<size_t>(s)];
    if (std::stoi(values[0]) != writer || std::stoi(values[1]) != s ||
        values[2] != name_of(writer, s) || values[3] != memo_of(writer, s)) {
      return "record " + std::to_string(s + 1) + " is " + values[0] + "/" + values[1];
    }
  }
  return "";
}

std::string not_all_landed(const TableImage& image, int writers, int records) {
  const int total = writers * records;
  if (image.record_count != total || image.header_count != static_cast<uint32_t>(total))
    return std::to_string(image.record_count) + " records, header " +
           std::to_string(image.header_count) + ", " + std::to_string(total) + " appended";
  std::map<std::pair<int, int>, int> landed;
  for (const auto& values : image.values) {
    const int w = std::stoi(values[0]), s = std::stoi(values[1]);
    const std::string who = std::to_string(w) + "/" + std::to_string(s);
    if (++landed[{w, s}] > 1) return "record " + who + " landed twice";
    if (values[2] != name_of(w, s)) return "the name of " + who + " is " + values[2];
    if (values[3] != memo_of(w, s)) return "the memo of " + who + " is not its own";
  }
  if (landed.size() != static_cast<size_t>(total)) return "records lost";
  return "";
}

std::string memos_overlap(const TableImage& image, const std::string& memo_path) {
  const std::string memo = pharmex::testing::read_file(memo_path);
  std::set<uint32_t> used;
  for (const std::string& record : image.records) {
    const uint32_t block = std::stoul(record.substr(kNoteOffset, 10));
    if (static_cast<size_t>(block) * 512 + 8 > memo.size())
      return "block " + std::to_string(block) + " lies beyond the memo file";
    const uint32_t blocks = (le32(memo, block * 512 + 4) + 511) / 512;
    for (uint32_t b = block; b < block + blocks; ++b) {
      if (!used.insert(b).second) return "block " + std::to_string(b) + " is shared";
    }
  }
  return "";
}

}  // namespace pharmex::reliability
