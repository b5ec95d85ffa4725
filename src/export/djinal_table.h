// The Djinal waybill table: a dBase IV table of 38 fixed fields, one record
// per written waybill line (a record is 713 bytes, the header 1249, see
// docs/waybill_tables.md). Each record carries its line's article, prices,
// quantity, VAT and certificate data, its own waybill's number, date and
// description, and five totals of the whole lines dataset, the same in every
// record.
//
// Two passes over the lines dataset: the first sums the totals over every
// line, written or not; the second writes the lines that pass the waybill
// line filter (export/waybill_lines.h), reporting progress per record.
#pragma once

#include <span>

#include "export/fixed_field.h"
#include "export/table_routine.h"
#include "export/waybill_lines.h"

namespace pharmex::exporting {

// Creates the table through `run` (at the run's path, replacing a file) and
// fills it from `waybill`.
//
// Failures: an empty "price" or "qty" in any line fails the first pass
// ("Could not convert variant of type (Null) into type (Double)"), leaving the
// table without records; an empty "box" in a written line fails the second
// pass ("... (Null) into type (Integer)"), keeping the records posted before.
// An empty "nds" is no failure: the line counts only in the total of all
// lines, and its price without VAT and its VAT rate are stored as 0. Values
// wider than their fields fail as the table dataset decides ("numeric value
// too big in field %s"); a column the host lacks fails when it is first read
// ("The host data have no column '%s'").
void write_djinal_table(TableRun& run, WaybillLines& waybill);

// The 38 fields, in table order.
std::span<const FixedField> djinal_fields();

}  // namespace pharmex::exporting
