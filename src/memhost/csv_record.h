// One record of a host CSV file split into its cells, the one tokenizer
// behind both ways of reading the files (memhost/csv_reader.h): the scan
// that checks a whole file and the on-demand reading of one row.
//
// A record is a line: cells separated by ",", ended by LF, by CR LF or by
// the end of the input (a CR not followed by LF is text). A cell in double
// quotes may hold commas, line breaks and doubled quotes ("" for one "); a
// quote anywhere else is an error. The tokenizer works on the bytes at hand
// and asks for more rather than deciding anything on bytes it has not seen,
// so a reader may hand it a buffer that ends anywhere.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pharmex::memhost {

struct CsvCell {
  size_t start = 0;  // where the cell starts in the record (its quote, when quoted)
  size_t begin = 0;  // its text: between the quotes of a quoted cell
  size_t end = 0;
  bool quoted = false;
  bool doubled_quotes = false;  // the text holds "" pairs, each one quote
};

struct CsvRecord {
  std::string_view bytes;  // the record without its line break
  std::vector<CsvCell> cells;

  // The text of cell `index`: a view of its bytes, or with every "" made
  // one " in `scratch`.
  std::string_view text(size_t index, std::string& scratch) const {
    const CsvCell& cell = cells[index];
    if (!cell.doubled_quotes) return bytes.substr(cell.begin, cell.end - cell.begin);
    return unquoted_text(cell, scratch);
  }
  // An unquoted empty cell: null.
  bool is_null(size_t index) const {
    return !cells[index].quoted && cells[index].begin == cells[index].end;
  }
  // The text of a cell with "" pairs, each made one " in `scratch`.
  std::string_view unquoted_text(const CsvCell& cell, std::string& scratch) const;
};

enum class CsvSplit {
  kRecord,    // a whole record: `length` bytes with its line break
  kNeedMore,  // the record goes on past the bytes at hand
  kError,     // malformed: `error_at` (in the bytes) and `error` say how
};

struct CsvSplitResult {
  CsvSplit outcome = CsvSplit::kRecord;
  size_t length = 0;
  size_t error_at = 0;
  const char* error = "";
};

// Splits the record that starts at `data[0]` into `record` (its views point
// into `data`). `at_end`: nothing follows `data` in the input. `data` must
// not be empty unless `at_end` (an empty input at its end holds no record).
CsvSplitResult split_csv_record(std::string_view data, bool at_end, CsvRecord& record);

}  // namespace pharmex::memhost
