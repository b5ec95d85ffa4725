// Column types as the host CSV files write them in their header cells
// ("name:type"):
//
//   string(N) fixedchar(N) widestring(N)   text of declared width N
//   smallint word integer largeint autoinc whole numbers
//   boolean                                 true / false (1 / 0 on input)
//   float currency bcd fmtbcd               numbers with "."
//   date time datetime                      yyyy-mm-dd [hh:mm[:ss[.zzz]]]
//   memo(N) widememo(N) blob(N)             long text; "(N)" is optional
//
// Type names are read without regard to case and written in lower case.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "pharmex/host.h"

namespace pharmex::memhost {

struct CsvColumnType {
  TFieldType type = ftString;
  int32_t size = 0;
};

// Reads a type text ("string(40)", "integer"); nothing when it is not one of
// the types above, a size is missing or out of place, or N is not a whole
// number within 0..2147483647.
std::optional<CsvColumnType> parse_csv_column_type(std::string_view text);

// True when the text before any "(" names one of the types above (so a
// failed parse is a size problem, not an unknown type).
bool is_csv_type_word(std::string_view text);

// The type text of a column ("string(40)") from the TFieldType ordinal a
// host reports (any number, so that a foreign ordinal is no enum value);
// nothing for a type the format cannot hold.
std::optional<std::string> format_csv_column_type(int type, int32_t size);

// The type's word without size ("string", "date"), for messages; "type N"
// for a type the format cannot hold.
std::string csv_type_name(TFieldType type);

}  // namespace pharmex::memhost
