#include "export/line_amounts.h"

#include "export/waybill_amounts.h"

namespace pharmex::exporting {

void assign_price_without_vat(FixedRow& row, dbf::TDbfField& field) {
  const std::optional<HostNumber> price = row.number("price");
  const std::optional<HostNumber> nds = row.number("nds");
  if (price && nds) {
    if (auto result = price_without_vat(price->value, nds->value)) {
      field.SetReal(*result);
      return;
    }
  }
  field.SetValue(price_without_vat(row.column("price"), row.column("nds"), row.settings()));
}

void assign_amount(FixedRow& row, dbf::TDbfField& field) {
  const std::optional<HostNumber> price = row.number("price");
  if (const std::optional<double> amount = plain_product(price, row.number("qty"))) {
    field.SetReal(*amount);
    return;
  }
  field.SetValue(multiply(row.column("price"), row.column("qty"), row.settings()));
}

void assign_vat(FixedRow& row, dbf::TDbfField& field) {
  const std::optional<HostNumber> price = row.number("price");
  const std::optional<HostNumber> nds = row.number("nds");
  const std::optional<HostNumber> qty = row.number("qty");
  // The VAT in one unit is a Double: with any number it multiplies as doubles.
  if (price && nds && qty) {
    if (auto vat = unit_vat(price->value, nds->value)) {
      field.SetReal(*vat * qty->value);
      return;
    }
  }
  const RegionalSettings& settings = row.settings();
  Variant vat = unit_vat(row.column("price"), row.column("nds"), settings);
  field.SetValue(multiply(vat, row.column("qty"), settings));
}

}  // namespace pharmex::exporting
