// How pharmex show renders the fields of a table's current record: each
// field becomes a Cell holding UTF-8 text and a kind (for JSON). Text is
// decoded from OEM (or the code page the table declares), numbers are shown
// as stored, dates as yyyy-mm-dd, memo fields as their text (binary memo
// fields as their size). Cells keep control characters; each output form
// escapes them its own way (Escaped for the aligned text form).
//
// A memo that cannot be read (its block number damaged, the memo file cut
// short) becomes the cell "<bad memo>" of kind null; the engine's message,
// naming record and field, is kept for ReportProblems.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dbf/dbf_field_layer.h"

namespace pharmex::cli {

struct Cell {
  enum Kind { kString, kNumber, kBool, kNull };
  std::string text;  // UTF-8; empty for null
  Kind kind = kString;
};

// ANSI text as UTF-8.
std::string Utf8(std::string_view ansi);
// A name or value as the aligned text form shows it: a backslash doubled
// (\\), tab, line feed and carriage return as \t, \n and \r, every other
// control character (U+0000 to U+001F, U+007F to U+009F) as \x and two
// upper-case hex digits (\x01). Nothing reaches the terminal as a control,
// and no two texts look alike.
std::string Escaped(std::string_view utf8);
// M, G and B fields whose contents live in the memo file.
bool IsMemoField(const dbf::TDbfFieldLayer& table, int field);
bool HasMemoFields(const dbf::TDbfFieldLayer& table);
// Numbers are right-aligned in the text form.
bool RightAligned(const dbf::TDbfFieldLayer& table, int field);

class RecordCells {
 public:
  // `short_memos`: memos cut after 60 characters ("..." follows), for the
  // aligned text form.
  explicit RecordCells(bool short_memos) : short_memos_(short_memos) {}

  // The cells of the record in the table's buffer, whose number is `record`.
  std::vector<Cell> Read(dbf::TDbfFieldLayer& table, int32_t record);
  // Prints one line per memo that could not be read; true when there was one.
  bool ReportProblems(std::ostream& err) const;

 private:
  Cell FieldCell(dbf::TDbfFieldLayer& table, int field, int32_t record);
  Cell MemoCell(dbf::TDbfFieldLayer& table, int field, int32_t record);

  bool short_memos_;
  std::string scratch_;
  std::map<std::pair<int32_t, int>, std::string> problems_;
};

}  // namespace pharmex::cli
