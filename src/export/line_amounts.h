// The amounts the fixed waybill tables compute from a line's row
// (export/fixed_row.h), by the variant rules of export/waybill_amounts.h,
// each assigned to its field. Where the host returned plain numbers, its
// usual Doubles and whole numbers, they are computed from those as doubles,
// as the rules compute them, and the double goes into the field, with no
// Variant for the operands, the steps or the result: these run for every
// line of a waybill.
#pragma once

#include <optional>

#include "dbf/dbf_field.h"
#include "export/fixed_row.h"

namespace pharmex::exporting {

// The product of two host values as the variant rules compute it when both
// are plain numbers and not both whole (two whole numbers multiply as whole
// numbers): their doubles multiplied; nothing otherwise.
inline std::optional<double> plain_product(const std::optional<HostNumber>& a,
                                           const std::optional<HostNumber>& b) {
  if (!a || !b || (a->whole && b->whole)) return std::nullopt;
  return a->value * b->value;
}

// "price" / (1 + "nds" / 100).
void assign_price_without_vat(FixedRow& row, dbf::TDbfField& field);

// "price" x "qty".
void assign_amount(FixedRow& row, dbf::TDbfField& field);

// The VAT in one unit ("price" - the price without VAT) x "qty".
void assign_vat(FixedRow& row, dbf::TDbfField& field);

}  // namespace pharmex::exporting
