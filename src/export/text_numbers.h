// Numbers as the partner text files write them: "." as decimal separator
// whatever the user's settings, no thousands separator.
#pragma once

#include <string>

#include "core/variant.h"

namespace pharmex::exporting {

// The pattern "0.0000": at least one digit before the point, exactly four
// after, rounded at the fourth decimal (halves away from zero), a minus sign
// for negative values.
std::string four_decimals(double value);

// Rounded to four decimals first: value / 0.0001 to the nearest whole number
// (an exact half to the even neighbour), times 0.0001.
double round_to_four_decimals(double value);

// A value converted to a whole number (halves to the even neighbour), in
// decimal digits. Null or a text that is no number fails naming "Integer".
std::string whole_number_text(const Variant& value, const RegionalSettings& settings);

// General form: up to 15 significant digits, no trailing zeros, no point for
// a whole number.
std::string general_number(double value);

// A date value as "dd.mm.yyyy".
std::string body_date(const Variant& value, const RegionalSettings& settings);

// The date part of a value with the settings' short date pattern.
std::string short_date(const Variant& value, const RegionalSettings& settings);

}  // namespace pharmex::exporting
