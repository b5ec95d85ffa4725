// The amounts the waybill tables compute from a line's host values. They are
// combined by the variant rules (core/variant.h): a null operand makes the
// result null, which a numeric table field stores as 0.
#pragma once

#include <cstdint>
#include <optional>

#include "core/variant.h"

namespace pharmex::exporting {

// The unit price without VAT: "price" / (1 + "nds" / 100), computed in that
// order ("nds" / 100, then 1 + that, then the division).
Variant price_without_vat(const Variant& price, const Variant& nds,
                          const RegionalSettings& settings);

// The VAT in one unit: "price" - price_without_vat.
Variant unit_vat(const Variant& price, const Variant& nds, const RegionalSettings& settings);

// True when the VAT rate equals the whole number `rate`: 10.0 is rate 10,
// 10.5 and a null rate are none.
bool vat_rate_is(const Variant& nds, int32_t rate, const RegionalSettings& settings);

// A running total: the total as a number plus the term, converted back to a
// double. A null term fails ("Could not convert variant of type (Null) into
// type (Double)").
double add_to_total(double total, const Variant& term, const RegionalSettings& settings);

// The first two from plain numbers (Doubles, or whole numbers as doubles),
// which the variant rules compute as doubles: the same values, with no
// Variant; nothing where the rules fail (a divisor of zero).
std::optional<double> price_without_vat(double price, double nds);
std::optional<double> unit_vat(double price, double nds);

}  // namespace pharmex::exporting
