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
#include <span>
#include <string_view>

#include "core/variant.h"
#include "export/fixed_row.h"
#include "export/row_loop.h"
#include "export/table_routine.h"
#include "export/waybill_lines.h"
#include "host/host_dataset.h"

namespace pharmex::exporting {

// The layout's own conversion of one column's value.
using ValueConvert = Variant (*)(const Variant& value, const RegionalSettings& settings);
// The layout's own computation of a field value from the host's current rows.
using RowConvert = Variant (*)(FixedRow& row);

struct FixedValue {
  enum class Kind : unsigned char { not_assigned, null, column, header, total, computed };
  Kind kind = Kind::not_assigned;
  std::string_view column{};       // for column and header
  ValueConvert convert = nullptr;  // for column: null, the value as it is
  size_t total = 0;                // for total
  RowConvert compute = nullptr;    // for computed
};

constexpr FixedValue not_assigned() {
  return {};
}
constexpr FixedValue null_value() {
  return {FixedValue::Kind::null};
}
constexpr FixedValue from_column(std::string_view name, ValueConvert convert = nullptr) {
  return {FixedValue::Kind::column, name, convert};
}
constexpr FixedValue from_header(std::string_view name) {
  return {FixedValue::Kind::header, name};
}
constexpr FixedValue from_total(size_t index) {
  return {FixedValue::Kind::total, {}, nullptr, index};
}
constexpr FixedValue computed(RowConvert compute) {
  return {FixedValue::Kind::computed, {}, nullptr, 0, compute};
}

struct FixedField {
  std::string_view specification;  // "NAME;TYPE;LENGTH;DECIMALS", as the table creator takes it
  FixedValue value;
  int fill_step = 0;  // its place in the fill order, from 1; 0 when it is not assigned
};

// True when the assigned fields are numbered 1, 2, ... in some order, each
// number once, and the fields not assigned have none.
constexpr bool fill_order_is_complete(std::span<const FixedField> fields) {
  int assigned = 0;
  for (const FixedField& field : fields) {
    bool assigns = field.value.kind != FixedValue::Kind::not_assigned;
    if (assigns != (field.fill_step > 0)) return false;
    if (assigns) ++assigned;
  }
  for (int step = 1; step <= assigned; ++step) {
    int holders = 0;
    for (const FixedField& field : fields)
      holders += field.fill_step == step ? 1 : 0;
    if (holders != 1) return false;
  }
  return true;
}

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
};

// Creates the table with the layout's fields and writes its records with the
// row loop of export/row_loop.h.
void write_fixed_table(TableRun& run, const FixedLayout& layout, const FixedInput& input);

// A waybill layout: a record per line of the lines dataset that passes the
// waybill line filter (export/waybill_lines.h), header columns read from the
// line's own waybill. Host values are combined, and the price filter reads a
// price given as text, by the run's settings.
void write_fixed_waybill_table(TableRun& run, WaybillLines& waybill, const FixedLayout& layout);

}  // namespace pharmex::exporting
