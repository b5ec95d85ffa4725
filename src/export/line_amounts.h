// The amounts the fixed waybill tables compute from a line's row
// (export/fixed_row.h), by the variant rules of export/waybill_amounts.h.
// Where the host returned plain numbers, its usual Doubles and whole
// numbers, they are computed from those as doubles, as the rules compute
// them, with no Variant for the operands or the steps: these run for every
// line of a waybill.
#pragma once

#include "core/variant.h"
#include "export/fixed_row.h"

namespace pharmex::exporting {

// "price" / (1 + "nds" / 100).
Variant line_price_without_vat(FixedRow& row);

// "price" x "qty".
Variant line_amount(FixedRow& row);

// The VAT in one unit ("price" - the price without VAT) x "qty".
Variant line_vat(FixedRow& row);

}  // namespace pharmex::exporting
