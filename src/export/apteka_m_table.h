// The Apteka M waybill table: a dBase IV table of 15 fixed fields, one record
// per waybill line that passes the waybill line filter (a record is 319
// bytes, the header 513, see docs/waybill_tables.md): article, maker,
// country, quantity, price with and without VAT, serial, expiry date, customs
// declaration, certificate, and the line's amount and VAT amount. It reads no
// header column: the header dataset only decides which lines are written.
#pragma once

#include <span>

#include "export/fixed_field.h"
#include "export/table_routine.h"
#include "export/waybill_lines.h"

namespace pharmex::exporting {

// Creates the table through `run` (at the run's path, replacing a file) and
// fills it from `waybill`, reporting progress per record.
//
// Computed values are stored as they come out of the variant rules: an empty
// "qty" or "nds" makes the values computed from it null, which the numeric
// fields store as 0. "PRPOST" is never assigned and keeps the 0.00000 of a
// new record. A value its field cannot take ("Invalid value for field '%s'")
// ends the run with the records posted before it kept; a column the host
// lacks fails when it is first read ("The host data have no column '%s'").
void write_apteka_m_table(TableRun& run, WaybillLines& waybill);

// The 15 fields, in table order.
std::span<const FixedField> apteka_m_fields();

}  // namespace pharmex::exporting
