#include "export/line_amounts.h"

#include "export/waybill_amounts.h"

namespace pharmex::exporting {

Variant line_price_without_vat(FixedRow& row) {
  const std::optional<HostNumber> price = row.number("price");
  const std::optional<HostNumber> nds = row.number("nds");
  if (price && nds) {
    if (auto result = price_without_vat(price->value, nds->value)) return Variant::real(*result);
  }
  return price_without_vat(row.column("price"), row.column("nds"), row.settings());
}

Variant line_amount(FixedRow& row) {
  const std::optional<HostNumber> price = row.number("price");
  const std::optional<HostNumber> qty = row.number("qty");
  // Two whole numbers multiply as whole numbers.
  if (price && qty && !(price->whole && qty->whole))
    return Variant::real(price->value * qty->value);
  return multiply(row.column("price"), row.column("qty"), row.settings());
}

Variant line_vat(FixedRow& row) {
  const std::optional<HostNumber> price = row.number("price");
  const std::optional<HostNumber> nds = row.number("nds");
  const std::optional<HostNumber> qty = row.number("qty");
  // The VAT in one unit is a Double: with any number it multiplies as doubles.
  if (price && nds && qty) {
    if (auto vat = unit_vat(price->value, nds->value)) return Variant::real(*vat * qty->value);
  }
  const RegionalSettings& settings = row.settings();
  Variant vat = unit_vat(row.column("price"), row.column("nds"), settings);
  return multiply(vat, row.column("qty"), settings);
}

}  // namespace pharmex::exporting
