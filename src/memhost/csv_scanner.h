// CsvScanner: one pass over a host CSV text (memhost/csv_reader.h describes
// the format) that reads the header and then the rows one at a time, each
// checked as it comes: its cells against the header, every value against
// its column's type. The text comes from a CsvSource a piece at a time, so a
// file of any length is scanned in a buffer of about one record (at least a
// megabyte).
//
// A malformed text raises Error "<file>:<line>:<column>: <what is wrong>",
// line and column counted from 1 (the column in characters) at the offending
// cell or character. Invalid UTF-8 anywhere in the text is reported before
// any other fault, wherever that is: the scanner checks the rest of the text
// before it reports one.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/variant.h"
#include "memhost/column.h"
#include "memhost/csv_record.h"

namespace pharmex::memhost {

// Where a CSV text comes from.
class CsvSource {
 public:
  virtual ~CsvSource() = default;
  // The length of the text in bytes.
  virtual uint64_t size() const = 0;
  // Fills `buffer` with the bytes at `offset`, which lie within size().
  // Throws Error when they cannot be read.
  virtual void read(uint64_t offset, std::span<char> buffer) = 0;
};

// A text in memory.
class CsvTextSource : public CsvSource {
 public:
  explicit CsvTextSource(std::string_view text) : text_(text) {}
  uint64_t size() const override { return text_.size(); }
  void read(uint64_t offset, std::span<char> buffer) override;

 private:
  std::string_view text_;
};

class CsvScanner {
 public:
  // `source_name` (UTF-8) is the file named in error messages.
  CsvScanner(CsvSource& source, std::string source_name);

  // Reads the header; call once, first.
  std::vector<Column> read_header();

  // Reads the next row and checks it; false past the last one. `offset`
  // receives where the row starts in the source. With `values`, the row's
  // values are read into it (one per column, null for an unquoted empty
  // cell); without, no value is made: each is only checked, and a text cell
  // not even that (its UTF-8 is checked with the whole text).
  bool next_row(uint64_t& offset, std::vector<Variant>* values);

  // Where the rows end: the length of the source.
  uint64_t end() const { return source_.size(); }

 private:
  bool next_record();
  void refill();
  void check_utf8(bool at_end);
  // The offset of the first invalid UTF-8 sequence from validated_ on, if
  // any (reads the rest of the source).
  std::optional<uint64_t> first_invalid_utf8_after();
  [[noreturn]] void fail(uint64_t at, std::string_view what);
  [[noreturn]] void fail_here(uint64_t at, std::string_view what);

  CsvSource& source_;
  std::string source_name_;
  std::vector<Column> columns_;
  std::string buffer_;
  uint64_t buffer_offset_ = 0;  // where buffer_[0] is in the source
  uint64_t buffer_end_ = 0;     // where the bytes read into buffer_ end
  uint64_t text_start_ = 0;     // after a byte-order mark
  uint64_t pos_ = 0;            // the next record
  uint64_t validated_ = 0;      // UTF-8 is checked up to here
  CsvRecord record_;
  uint64_t record_offset_ = 0;
  std::string scratch_;
};

}  // namespace pharmex::memhost
