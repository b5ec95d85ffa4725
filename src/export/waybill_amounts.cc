#include "export/waybill_amounts.h"

namespace pharmex::exporting {

Variant price_without_vat(const Variant& price, const Variant& nds,
                          const RegionalSettings& settings) {
  Variant rate = divide(nds, Variant::integer(100), settings);
  return divide(price, add(Variant::integer(1), rate, settings), settings);
}

Variant unit_vat(const Variant& price, const Variant& nds, const RegionalSettings& settings) {
  return subtract(price, price_without_vat(price, nds, settings), settings);
}

bool vat_rate_is(const Variant& nds, int32_t rate, const RegionalSettings& settings) {
  return compare(nds, Variant::integer(rate), settings) == Ordering::Equal;
}

double add_to_total(double total, const Variant& term, const RegionalSettings& settings) {
  return add(Variant::real(total), term, settings).to_double(settings);
}

}  // namespace pharmex::exporting
