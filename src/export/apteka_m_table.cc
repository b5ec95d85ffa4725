#include "export/apteka_m_table.h"

#include <array>

#include "export/fixed_table.h"
#include "export/line_amounts.h"

namespace pharmex::exporting {

namespace {

// In table order (319 bytes a record), each with the offset of its first byte
// in the record (byte 0 is the deletion flag), filled in that order.
// "CODEPST" and "NDS" have no decimals and 20 digits: the table dataset holds
// them as 64-bit whole numbers. "PRPOST" keeps the 0.00000 of a new record.
constexpr std::array<FixedField, 15> kFields = {{
    {"CNTR;C;20;0", from_column("country"), 1},                 // 1
    {"QNT;N;20;2", from_column("qty"), 2},                      // 21
    {"FIRM;C;20;0", from_column("maker"), 3},                   // 41
    {"NAME;C;50;0", from_column("art_name"), 4},                // 61
    {"CODEPST;N;20;0", from_column("art_id"), 5},               // 111
    {"PRICEPR;N;20;2", computed(assign_price_without_vat), 6},  // 131
    {"PRICEPOST;N;20;2", from_column("price"), 7},              // 151
    {"SERIA;C;20;0", from_column("serial"), 8},                 // 171
    {"GDATE;D;0;0", from_column("dateworklast"), 9},            // 191
    {"PRPOST;N;20;5", not_assigned()},                          // 199
    {"NDS;N;20;0", from_column("nds"), 10},                     // 219
    {"NUMGTD;C;20;0", from_column("gtd"), 11},                  // 239
    {"SERTIF;C;20;0", from_column("sertname"), 12},             // 259
    {"SUMM;N;20;2", computed(assign_amount), 13},               // 279
    {"SUMMNDS;N;20;2", computed(assign_vat), 14},               // 299
}};
static_assert(fill_order_is_complete(kFields));

}  // namespace

std::span<const FixedField> apteka_m_fields() {
  return kFields;
}

void write_apteka_m_table(TableRun& run, WaybillLines& waybill) {
  write_fixed_waybill_table(run, waybill, {kFields});
}

}  // namespace pharmex::exporting
