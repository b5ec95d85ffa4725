// The Unico price table, the routine behind the price dialog's file type 2
// ("Юнико (dBaseIV)(*.dbf)|*.dbf"): a dBase IV table of 22 fixed fields, one
// record per price-list row; ten are filled from named host columns, the
// other twelve are always null (0 written with their decimals).
//
// The record (301 bytes; offsets from the deletion flag at 0):
//
//   offset  field      type     from
//     1     CODEPST    C(12)    art_id, as text
//    13     NAME       C(80)    art_name
//    93     CNTR       C(15)    country
//   108     FIRM       C(40)    maker
//   148     QNTPACK    N(8,0)   box, by unico_pack_size below
//   156     EAN13      C(13)    ean13
//   169     NDS        N(9,2)   nds
//   178     GDATE      D        dateworklast
//   186     QNT        N(14,2)  remainder
//   200     NSP        N(9,2)   null
//   209     GNVLS      N(1,0)   null
//   210     PRICE1     N(9,2)   price
//   219...  PRICE2..10 N(9,2)   null (nine fields, 9 bytes each)
//   300     NEWFLG     N(1,0)   null
//
// The fields are filled in table order. The folder of the path is
// remembered under "price_export_path".
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/variant.h"
#include "export/fixed_field.h"
#include "host/run_context.h"

namespace pharmex::exporting {

// The context's main dataset holds the price list.
void unico_price_routine(host::RunContext& context, const std::string& path);

// The 22 fields, in table order.
std::span<const FixedField> unico_price_fields();

// The pack size Unico receives for a "box" value: an unassigned value gives
// 0, a whole number passes unchanged, a fractional number or a text (read
// with the settings' decimal separator) is rounded to the nearest whole
// number, halves to the even neighbour (12.5 gives 12, 13.5 gives 14). A null
// fails with "Could not convert variant of type (Null) into type (Int64)",
// which stops the export at that row.
int64_t unico_pack_size(const Variant& box, const RegionalSettings& settings);

}  // namespace pharmex::exporting
