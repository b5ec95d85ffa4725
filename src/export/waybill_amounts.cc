#include "export/waybill_amounts.h"

namespace pharmex::exporting {

namespace {

// A value the variant rules take as a number without a failure: then a
// quotient or a sum with a Double is a Double computed from the two values
// as doubles, and the amounts below are computed that way directly, with no
// variant made for each step. Texts (which may fail to read), nulls and
// arrays take the variant route.
bool plain_number(const Variant& value) {
  return value.is_numeric() || value.is_empty() || value.kind() == Variant::Kind::Boolean;
}

// The divisor of the price without VAT, 1 + "nds" / 100, one rounding a step.
double vat_divisor(const Variant& nds, const RegionalSettings& settings) {
  const double rate = nds.to_double(settings) / 100;
  return 1 + rate;
}

}  // namespace

Variant price_without_vat(const Variant& price, const Variant& nds,
                          const RegionalSettings& settings) {
  if (plain_number(price) && plain_number(nds)) {
    const double divisor = vat_divisor(nds, settings);
    // A zero divisor fails by the variant rules' message.
    if (divisor != 0) return Variant::real(price.to_double(settings) / divisor);
  }
  Variant rate = divide(nds, Variant::integer(100), settings);
  return divide(price, add(Variant::integer(1), rate, settings), settings);
}

Variant unit_vat(const Variant& price, const Variant& nds, const RegionalSettings& settings) {
  if (plain_number(price) && plain_number(nds)) {
    const double divisor = vat_divisor(nds, settings);
    if (divisor != 0) {
      const double unit_price = price.to_double(settings);
      const double without_vat = unit_price / divisor;
      return Variant::real(unit_price - without_vat);
    }
  }
  return subtract(price, price_without_vat(price, nds, settings), settings);
}

bool vat_rate_is(const Variant& nds, int32_t rate, const RegionalSettings& settings) {
  // A whole number and a Double compare by value (NaN equals nothing), as
  // the variant rules compare them with an Integer.
  if (nds.is_whole()) return nds.whole_value() == rate;
  if (nds.kind() == Variant::Kind::Double) return nds.double_value() == rate;
  return compare(nds, Variant::integer(rate), settings) == Ordering::Equal;
}

double add_to_total(double total, const Variant& term, const RegionalSettings& settings) {
  // A number and a Double add as doubles.
  if (plain_number(term)) return total + term.to_double(settings);
  return add(Variant::real(total), term, settings).to_double(settings);
}

}  // namespace pharmex::exporting
