// Writes any host dataset in the host CSV format that memhost/csv_reader.h
// reads, so that load -> write -> load gives equal values.
//
// The dataset is read through its IDataSet operations, as the library reads
// it: the header from each column's name, type and size, then every row from
// First to Eof (the cursor is left at the end). Values are converted to their
// column's kind first (memhost/column.h), so a host may hand out any variant
// kind a database field would accept. Null is an unquoted empty cell; an
// empty text is written "" and a cell holding ",", a quote or a line break is
// quoted with its quotes doubled. Lines end with LF.
//
// Raises Error for a dataset without columns ("The dataset has no columns"), a
// column type the format cannot hold ("Column \"x\" has
// type 12, which the CSV format cannot hold"), a date outside the years
// 1..9999, and any failure the host reports.
#pragma once

#include <string>

#include "pharmex/host.h"

namespace pharmex::memhost {

std::string write_csv(IDataSet* dataset);

// Writes the file at a UTF-8 path through the platform's file system, a
// megabyte at a time into a temporary file beside it that then replaces it
// whole: a dataset that reads the old file on demand (the lines being
// written back over their own file) reads the old bytes to the end, and a
// failure leaves the old file as it was. Error("Cannot write %s") when it
// cannot be written.
void write_csv_file(IDataSet* dataset, const std::string& path);

}  // namespace pharmex::memhost
