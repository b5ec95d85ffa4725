// How pharmex show renders the fields of a table's current record: each
// field becomes a Cell holding UTF-8 text and a kind (for JSON). Text is
// decoded from OEM, numbers are shown as stored, dates as yyyy-mm-dd, memo
// fields as their text (binary memo fields as their size).
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
// Control characters shown as "." (they would upset a terminal).
std::string Printable(std::string_view raw);
// M, G and B fields whose contents live in the memo file.
bool IsMemoField(const dbf::TDbfFieldLayer& table, int field);
bool HasMemoFields(const dbf::TDbfFieldLayer& table);
// Numbers are right-aligned in the text form.
bool RightAligned(const dbf::TDbfFieldLayer& table, int field);

class RecordCells {
 public:
  // `one_line_memos`: memos on one line ("\\n" for a break), cut after 60
  // characters, for the aligned text form.
  explicit RecordCells(bool one_line_memos) : one_line_memos_(one_line_memos) {}

  // The cells of the record in the table's buffer, whose number is `record`.
  std::vector<Cell> Read(dbf::TDbfFieldLayer& table, int32_t record);
  // Prints one line per memo that could not be read; true when there was one.
  bool ReportProblems(std::ostream& err) const;

 private:
  Cell FieldCell(dbf::TDbfFieldLayer& table, int field, int32_t record);
  Cell MemoCell(dbf::TDbfFieldLayer& table, int field, int32_t record);

  bool one_line_memos_;
  std::string scratch_;
  std::map<std::pair<int32_t, int>, std::string> problems_;
};

}  // namespace pharmex::cli
