// The partner table layouts whose fields do not depend on the host's columns
// (the Khabarovsk and Unico price tables): a fixed list of field
// specifications, and the assignments that fill a record, in the order the
// layout makes them. Each assignment takes a named host column's value
// through the field's ordinary conversion, or the layout's own conversion,
// or assigns null (the field's null form: blanks, 0 written with its
// decimals).
//
// Fields and host columns are resolved once, after the table was created; a
// host column the host lacks fails when the first row reads it ("The host
// data have no column '%s'").
#pragma once

#include <span>
#include <string_view>

#include "core/variant.h"
#include "export/table_routine.h"
#include "host/host_dataset.h"

namespace pharmex::exporting {

struct FixedAssignment {
  std::string_view field;   // the table field
  std::string_view column;  // the host column; empty: the field is assigned null
  // The layout's own conversion of the column's value; null: none.
  Variant (*convert)(const Variant& value) = nullptr;
};

struct FixedLayout {
  std::span<const std::string_view> fields;      // specifications, in table order
  std::span<const FixedAssignment> assignments;  // in the order a record is filled
};

// Creates the table with the layout's fields and writes one record per row
// of `source`, in the host's order, with the row loop of export/row_loop.h.
void write_fixed_table(TableRun& run, const host::HostDataSet& source, const FixedLayout& layout);

}  // namespace pharmex::exporting
