// Cell texts of the host CSV files and the values they stand for. The text
// forms do not depend on regional settings:
//   whole numbers   [+-]digits, within the column type's range
//   float kinds     a decimal number with "." and optional exponent; the
//                   writer uses the shortest text that reads back exactly
//   currency        [-]digits[.1 to 4 digits]
//   boolean         true / false, also 1 / 0 (any case)
//   dates           yyyy-mm-dd, yyyy-mm-dd hh:mm[:ss[.zzz]] (a "T" may
//                   stand for the blank) or a time of day alone hh:mm[:ss[.zzz]]
//   text kinds      the text itself (UTF-8)
// Null is not a cell text: the files write it as an unquoted empty cell.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/variant.h"
#include "pharmex/host.h"

namespace pharmex::memhost {

// The value of a cell of a column of `type` (memhost/column.h gives the
// kinds); nothing when the text is not a valid value of that type.
std::optional<Variant> parse_csv_value(std::string_view text, TFieldType type);

// The value of a cell of a column of any kind but text, as plain data, for
// readers that hand it on without a Variant; `kind` is the column's.
struct CsvScalar {
  Variant::Kind kind = Variant::Kind::Null;
  int64_t whole = 0;  // SmallInt, Integer, Int64, Boolean (1 or 0), Currency (1/10000)
  double real = 0;    // Double, Date

  Variant to_variant() const;
};

// What parse_csv_value reads, for a column whose kind is not text (nothing
// for a text column).
std::optional<CsvScalar> parse_csv_scalar(std::string_view text, TFieldType type);

// Whether parse_csv_value finds `text` a valid value of the column, without
// making the value: any text is a valid text value (its UTF-8 is the
// reader's to check).
bool is_valid_csv_value(std::string_view text, TFieldType type);

// The cell text of a non-null value already of the column's kind (see
// convert_for_column); nothing when the type cannot be written or a date is
// outside the years 1..9999.
std::optional<std::string> format_csv_value(const Variant& value, TFieldType type);

}  // namespace pharmex::memhost
