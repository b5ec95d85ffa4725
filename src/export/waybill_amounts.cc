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
double vat_divisor(double nds) {
  const double rate = nds / 100;
  return 1 + rate;
}

}  // namespace

std::optional<double> price_without_vat(double price, double nds) {
  const double divisor = vat_divisor(nds);
  // A zero divisor fails by the variant rules' message.
  if (divisor == 0) return std::nullopt;
  return price / divisor;
}

std::optional<double> unit_vat(double price, double nds) {
  const std::optional<double> without_vat = price_without_vat(price, nds);
  if (!without_vat) return std::nullopt;
  return price - *without_vat;
}

Variant price_without_vat(const Variant& price, const Variant& nds,
                          const RegionalSettings& settings) {
  if (plain_number(price) && plain_number(nds)) {
    if (auto result = price_without_vat(price.to_double(settings), nds.to_double(settings)))
      return Variant::real(*result);
  }
  Variant rate = divide(nds, Variant::integer(100), settings);
  return divide(price, add(Variant::integer(1), rate, settings), settings);
}

Variant unit_vat(const Variant& price, const Variant& nds, const RegionalSettings& settings) {
  if (plain_number(price) && plain_number(nds)) {
    if (auto result = unit_vat(price.to_double(settings), nds.to_double(settings)))
      return Variant::real(*result);
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
