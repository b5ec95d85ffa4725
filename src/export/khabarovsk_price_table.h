// The Khabarovsk price table, the routine behind the price dialog's file type
// 1 ("Хабаровск (dBaseIV)(*.dbf)|*.dbf"): a dBase IV table of nine fixed
// fields, one record per price-list row, filled from named host columns.
//
// The record (215 bytes; offsets from the deletion flag at 0):
//
//   offset  field    type     from host column
//     1     COD      N(8,0)   art_id
//     9     NAIM     C(96)    art_name
//   105     STRANA   C(17)    country
//   122     PROD     C(47)    maker
//   169     CENA     N(9,2)   price
//   178     OST      N(8,0)   box (the pack size, not the stock)
//   186     SG       D        dateworklast
//   194     PRIHOD   D        dateworkfirst
//   202     BARCODE  C(13)    ean13
//
// Values go through the fields' ordinary conversion: text is cut to the
// field's width, a null stores blanks or 0. Unlike the other price tables it
// remembers no folder.
#pragma once

#include <span>
#include <string>

#include "export/fixed_field.h"
#include "host/run_context.h"

namespace pharmex::exporting {

// The context's main dataset holds the price list.
void khabarovsk_price_routine(host::RunContext& context, const std::string& path);

// The nine fields, in table order.
std::span<const FixedField> khabarovsk_price_fields();

}  // namespace pharmex::exporting
