// Loads a MemoryDataSet from a host CSV text, or opens one over a host CSV
// file whose rows are read on demand (memhost/csv_file_rows.h). Both check
// the whole text first, with the same messages.
//
// The file:
//   - UTF-8 (a leading byte-order mark is skipped). Cells are separated by
//     ","; a record ends at LF or CR LF; the last record's line break may be
//     left out. Every line is a record, so an empty line is a record of one
//     null cell.
//   - Quoting as RFC 4180: a cell in double quotes may hold commas, line
//     breaks and doubled quotes ("" for one "); a quote anywhere else is an
//     error.
//   - The first record is the header: one "name:type" cell per column (the
//     type after the last ":", see memhost/csv_column_type.h). Names match
//     without regard to case and must differ.
//   - Every further record is a row with exactly one cell per column. An
//     unquoted empty cell is null; a quoted empty cell "" is an empty text
//     (and an error in a column that is not text). Other cells are read as
//     memhost/csv_value.h describes.
//
// A malformed file raises Error "<file>:<line>:<column>: <what is wrong>",
// line and column counted from 1, the column in characters, pointing at the
// offending cell or character:
//   "prices.csv:3:9: \"12x\" is not a valid integer value for column \"qty\""
#pragma once

#include <string>
#include <string_view>

#include "host/host_ref.h"
#include "memhost/memory_dataset.h"

namespace pharmex::memhost {

// Reads CSV text into memory; `source_name` is the file named in error
// messages.
host::HostRef<MemoryDataSet> read_csv(std::string_view text, std::string_view source_name);

// Opens a CSV file (path in UTF-8) through the platform's file system: the
// file is checked now and its rows are read when they are asked for; it
// stays open while the dataset lives. Raises Error("Cannot open %s") or
// Error("Cannot read %s") when the file cannot be read; a row read after the
// file changed fails with "The file %s changed while it was read".
host::HostRef<MemoryDataSet> open_csv_file(const std::string& path);

}  // namespace pharmex::memhost
