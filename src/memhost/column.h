// A column of the in-memory host and the rules by which a value becomes one
// of its values.
//
// Every column type holds one variant kind:
//   string, fixed char, wide string, memo kinds, blob kinds   String
//   smallint                                                  SmallInt
//   integer, word, autoinc                                    Integer
//   largeint                                                  Int64
//   boolean                                                   Boolean
//   float, BCD, FMTBcd                                        Double
//   currency                                                  Currency
//   date, time, date-time, timestamp                          Date
// plus Null. Types outside this list (ftUnknown, ftVariant, ...) hold any
// value unchanged. Size is reported to the library but not enforced: a string
// longer than its column's Size is kept whole, so tests can hand the library
// over-long values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/variant.h"
#include "pharmex/host.h"

namespace pharmex::memhost {

struct Column {
  std::u16string name;
  TFieldType type = ftString;
  int32_t size = 0;  // declared width of a string column, in characters
};

// The variant kind a column of this type holds; Empty for "any value".
Variant::Kind column_kind(TFieldType type);

// A value converted for a column, as a database field converts what is
// assigned to it: Empty and Null become Null; text is read as a number, date
// or Boolean with the given regional settings; whole-number columns round
// halves to even and check their range (word: 0..65535). Throws VariantError
// ("Could not convert variant of type (String) into type (Integer)",
// "Overflow while converting variant of type (Int64) into type (SmallInt)")
// when the value does not fit.
Variant convert_for_column(const Variant& value, TFieldType type, const RegionalSettings& settings);

// A Locate key as a value of the column: converted as above, but nothing
// when the key does not convert or when a numeric column cannot hold its
// value exactly, since then no row of the column equals the key. Rounding
// would find a neighbour: 50211.4 is not the article 50211, nor 61022.6 the
// article 61023. An integer column takes 50211, 50211.0 and "50211"; a
// currency column no fifth decimal. Text, date and Boolean columns take the
// key as it converts.
std::optional<Variant> key_for_column(const Variant& key, TFieldType type,
                                      const RegionalSettings& settings);

// Column names match without regard to case, as database datasets look their
// fields up: ASCII, Latin-1 and Cyrillic letters fold to lower case.
bool same_column_name(std::u16string_view a, std::u16string_view b);

}  // namespace pharmex::memhost
