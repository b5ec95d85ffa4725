// The partner table layouts whose fields do not depend on the host's columns
// (the Khabarovsk and Unico price tables, the Djinal and Apteka M waybill
// tables). Each is one table of its fields in the file's order: the field's
// specification, where its value comes from, and its place in the order a
// record is filled. That order is the partner's and matters: a failure names
// the first field that cannot take its value, and Khabarovsk, for one, fills
// STRANA last although it is the third field.
//
//   constexpr std::array<FixedField, 3> kFields = {{
//       {"CODE;N;8;0", from_column("art_id"), 1},
//       {"NOTE;C;20;0", not_assigned()},
//       {"DOC;C;20;0", from_header("native_id"), 2},
//   }};
//   static_assert(fill_order_is_complete(kFields));
//
// A value comes from a column of the walked dataset's current row (through
// the field's ordinary conversion, or first through the layout's own) or of
// the header row the line filter found; or is null (the field's null form:
// blanks, 0 written with its decimals); or is a total of the run; or is
// computed by the layout from the rows it sees (export/fixed_row.h). A field
// not assigned keeps the value of a new record.
//
// Fields and plain columns are resolved once, after the table was created; a
// host column the host lacks fails when the first row reads it ("The host
// data have no column '%s'").
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/variant.h"
#include "export/fixed_field.h"
#include "export/fixed_row.h"
#include "export/row_loop.h"
#include "export/table_routine.h"
#include "export/waybill_lines.h"
#include "host/host_dataset.h"

namespace pharmex::exporting {

struct FixedLayout {
  std::span<const FixedField> fields;  // in table order
  // For records that carry totals of the run: adds the walked dataset's
  // current row to row.total(0 ... total_count - 1), on every row before
  // the first record is written. Null: no totals.
  void (*sum)(FixedRow& row) = nullptr;
  size_t total_count = 0;
};

// What a fixed table is written from.
struct FixedInput {
  const host::HostDataSet& walked;   // a record per row that passes
  const host::HostDataSet* headers;  // read by from_header; may be null
  RegionalSettings settings;         // host values are combined by these
  RowFilter passes;                  // may be empty: every row is written
  // Counts the header cursor's moves (export/fixed_row.h); null: header
  // columns are read on every row.
  const uint64_t* header_moves = nullptr;
};

// Creates the table with the layout's fields and writes its records with the
// row loop of export/row_loop.h.
void write_fixed_table(TableRun& run, const FixedLayout& layout, const FixedInput& input);

// A waybill layout: a record per line of the lines dataset that passes the
// waybill line filter (export/waybill_lines.h), header columns read from the
// line's own waybill, once for lines of the same waybill that follow one
// another. Host values are combined, and the price filter reads a price given
// as text, by the run's settings.
void write_fixed_waybill_table(TableRun& run, WaybillLines& waybill, const FixedLayout& layout);

}  // namespace pharmex::exporting
