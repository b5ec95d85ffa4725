#include "memhost/csv_reader.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "core/error.h"
#include "memhost/csv_column_type.h"
#include "memhost/csv_value.h"
#include "platform/text_codec.h"

namespace pharmex::memhost {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

struct Cell {
  std::string text;
  bool quoted = false;
  size_t offset = 0;  // where the cell starts
};

struct Record {
  std::vector<Cell> cells;
  size_t end = 0;  // where its line break (or the input) starts
};

// Length of the valid UTF-8 sequence at `at`, 0 when it is not one.
size_t utf8_sequence_length(std::string_view text, size_t at) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0 || at + length > text.size()) return 0;
  // The second byte's range excludes overlong forms, surrogates and code
  // points beyond U+10FFFF.
  unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
  unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  }
  return length;
}

class CsvParser {
 public:
  CsvParser(std::string_view text, std::string_view source) : text_(text), source_(source) {
    if (text_.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
      text_.remove_prefix(kByteOrderMark.size());
    }
  }

  host::HostRef<MemoryDataSet> parse() {
    check_utf8();
    Record header;
    if (!next_record(header)) fail(0, "no header line");
    std::vector<Column> columns = read_header(header);
    host::HostRef<MemoryDataSet> dataset = MemoryDataSet::create(columns);
    Record record;
    while (next_record(record))
      dataset->add_row(read_row(record, columns));
    return dataset;
  }

 private:
  [[noreturn]] void fail(size_t offset, std::string_view what) const {
    size_t line = 1;
    size_t line_start = 0;
    for (size_t i = 0; i < offset; ++i) {
      if (text_[i] == '\n') {
        ++line;
        line_start = i + 1;
      }
    }
    size_t column = 1;
    for (size_t i = line_start; i < offset; ++i) {
      if ((static_cast<unsigned char>(text_[i]) & 0xC0) != 0x80) ++column;
    }
    std::string message = format_message(
        "%s:%d:%d: %s", {source_, static_cast<int64_t>(line), static_cast<int64_t>(column), what});
    throw Error(platform::text_codec().utf8_to_ansi(message));
  }

  void check_utf8() const {
    for (size_t at = 0; at < text_.size();) {
      size_t length = utf8_sequence_length(text_, at);
      if (length == 0) fail(at, "invalid UTF-8");
      at += length;
    }
  }

  bool at_line_end(size_t at) const {
    return at == text_.size() || text_[at] == '\n' ||
           (text_[at] == '\r' && at + 1 < text_.size() && text_[at + 1] == '\n');
  }

  // Reads the record at the current position; false at the end of the input.
  bool next_record(Record& record) {
    if (pos_ == text_.size()) return false;
    record.cells.clear();
    while (true) {
      bool quoted = pos_ < text_.size() && text_[pos_] == '"';
      record.cells.push_back(quoted ? quoted_cell() : plain_cell());
      if (pos_ < text_.size() && text_[pos_] == ',') {
        ++pos_;
        continue;
      }
      record.end = pos_;
      if (pos_ < text_.size()) pos_ += text_[pos_] == '\r' ? 2 : 1;
      return true;
    }
  }

  Cell plain_cell() {
    Cell cell{{}, false, pos_};
    while (pos_ < text_.size() && text_[pos_] != ',' && !at_line_end(pos_)) {
      if (text_[pos_] == '"') fail(pos_, "quote inside an unquoted cell");
      ++pos_;
    }
    cell.text = text_.substr(cell.offset, pos_ - cell.offset);
    return cell;
  }

  Cell quoted_cell() {
    Cell cell{{}, true, pos_};
    ++pos_;
    while (true) {
      size_t quote = text_.find('"', pos_);
      if (quote == text_.npos) fail(cell.offset, "unterminated quoted cell");
      cell.text.append(text_.substr(pos_, quote - pos_));
      pos_ = quote + 1;
      if (pos_ < text_.size() && text_[pos_] == '"') {
        cell.text.push_back('"');
        ++pos_;
        continue;
      }
      break;
    }
    if (pos_ < text_.size() && text_[pos_] != ',' && !at_line_end(pos_)) {
      fail(pos_, "unexpected character after closing quote");
    }
    return cell;
  }

  std::vector<Column> read_header(const Record& header) const {
    std::vector<Column> columns;
    for (const Cell& cell : header.cells) {
      size_t colon = cell.text.rfind(':');
      if (colon == std::string::npos || colon == 0) {
        fail(cell.offset, "header cell \"" + cell.text + "\" is not name:type");
      }
      std::string_view type_text = std::string_view(cell.text).substr(colon + 1);
      std::optional<CsvColumnType> type = parse_csv_column_type(type_text);
      if (!type) {
        fail(cell.offset, (is_csv_type_word(type_text) ? "bad size in column type \""
                                                       : "unknown column type \"") +
                              std::string(type_text) + "\"");
      }
      Column column{platform::utf8_to_utf16(cell.text.substr(0, colon)), type->type, type->size};
      for (const Column& other : columns) {
        if (same_column_name(other.name, column.name)) {
          fail(cell.offset, "duplicate column name \"" + cell.text.substr(0, colon) + "\"");
        }
      }
      columns.push_back(std::move(column));
    }
    return columns;
  }

  std::vector<Variant> read_row(const Record& record, const std::vector<Column>& columns) const {
    if (record.cells.size() != columns.size()) {
      size_t at =
          record.cells.size() > columns.size() ? record.cells[columns.size()].offset : record.end;
      fail(at, format_message("%d cells where the header has %d",
                              {static_cast<int64_t>(record.cells.size()),
                               static_cast<int64_t>(columns.size())}));
    }
    std::vector<Variant> values;
    values.reserve(columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
      const Cell& cell = record.cells[i];
      if (!cell.quoted && cell.text.empty()) {
        values.push_back(Variant::null());
        continue;
      }
      std::optional<Variant> value = parse_csv_value(cell.text, columns[i].type);
      if (!value) {
        fail(cell.offset, "\"" + cell.text + "\" is not a valid " + csv_type_name(columns[i].type) +
                              " value for column \"" + platform::utf16_to_utf8(columns[i].name) +
                              "\"");
      }
      values.push_back(std::move(*value));
    }
    return values;
  }

  std::string_view text_;
  std::string_view source_;
  size_t pos_ = 0;
};

}  // namespace

host::HostRef<MemoryDataSet> read_csv(std::string_view text, std::string_view source_name) {
  return CsvParser(text, source_name).parse();
}

host::HostRef<MemoryDataSet> read_csv_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) raise<Error>("Cannot open %s", {platform::text_codec().utf8_to_ansi(path)});
  std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) raise<Error>("Cannot read %s", {platform::text_codec().utf8_to_ansi(path)});
  return read_csv(text, path);
}

}  // namespace pharmex::memhost
