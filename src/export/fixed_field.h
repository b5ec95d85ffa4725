// The fields of a fixed partner table layout, as constant data: each field's
// specification ("NAME;TYPE;LENGTH;DECIMALS", as the table creator takes it),
// where its value comes from and its place in the order a record is filled
// (export/fixed_table.h writes a table from them). The layouts keep their
// tables in their own sources and hand them out read-only, so that what
// checks a partner's file reads the very fields the export writes.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

#include "core/regional_settings.h"
#include "core/variant.h"

namespace pharmex {

namespace dbf {
class TDbfField;
}  // namespace dbf

namespace exporting {

class FixedRow;

// The layout's own conversion of one column's value.
using ValueConvert = Variant (*)(const Variant& value, const RegionalSettings& settings);
// The layout's own computation of a field value from the host's current
// rows, which it assigns to the field itself: a value it computed as a
// double or a whole number goes in as one, with no Variant.
using RowCompute = void (*)(FixedRow& row, dbf::TDbfField& field);

struct FixedValue {
  enum class Kind : unsigned char { not_assigned, null, column, header, total, computed };
  Kind kind = Kind::not_assigned;
  std::string_view column{};       // for column and header
  ValueConvert convert = nullptr;  // for column: null, the value as it is
  size_t total = 0;                // for total
  RowCompute compute = nullptr;    // for computed
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
constexpr FixedValue computed(RowCompute compute) {
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

}  // namespace exporting
}  // namespace pharmex
