#include "export/djinal_table.h"

#include <array>
#include <cstdint>
#include <limits>
#include <optional>

#include "core/number_format.h"
#include "export/fixed_table.h"
#include "export/line_amounts.h"
#include "export/waybill_amounts.h"

namespace pharmex::exporting {

namespace {

// The waybill totals: the amount ("price" x "qty") of all lines and of the
// 10 and 20 per cent lines, and the VAT in one unit (not multiplied by
// "qty") summed over the 10 and 20 per cent lines. Partner systems read the
// VAT sums as they are, per unit.
enum Total : size_t { kAmount, kAmount10, kAmount20, kVat10, kVat20, kTotalCount };

void add(FixedRow& row, Total total, const Variant& term) {
  row.total(total) = add_to_total(row.total(total), term, row.settings());
}

// The first pass from plain numbers, as sum_totals below computes them, with
// no Variant: the amount a plain product, and the totals add doubles. False,
// having added nothing, leaves the line to sum_totals.
bool sum_plain_totals(FixedRow& row) {
  const std::optional<HostNumber> price = row.number("price");
  const std::optional<HostNumber> nds = row.number("nds");
  const std::optional<double> product = plain_product(price, row.number("qty"));
  if (!nds || !product) return false;
  const double amount = *product;
  const bool ten = nds->value == 10;
  const bool twenty = nds->value == 20;
  // Neither rate makes a zero divisor.
  const double vat = ten || twenty ? *unit_vat(price->value, nds->value) : 0;
  if (ten) row.total(kAmount10) += amount;
  if (twenty) row.total(kAmount20) += amount;
  if (ten) row.total(kVat10) += vat;
  if (twenty) row.total(kVat20) += vat;
  row.total(kAmount) += amount;
  return true;
}

// The first pass: every line of the lines dataset, with no filter.
void sum_totals(FixedRow& row) {
  if (sum_plain_totals(row)) return;
  const RegionalSettings& settings = row.settings();
  const Variant& price = row.column("price");
  const Variant& nds = row.column("nds");
  Variant amount = multiply(price, row.column("qty"), settings);
  bool ten = vat_rate_is(nds, 10, settings);
  bool twenty = vat_rate_is(nds, 20, settings);
  if (ten) add(row, kAmount10, amount);
  if (twenty) add(row, kAmount20, amount);
  if (ten) add(row, kVat10, unit_vat(price, nds, settings));
  if (twenty) add(row, kVat20, unit_vat(price, nds, settings));
  add(row, kAmount, amount);
}

// "box" as a whole number, halves to the even neighbour; an empty one fails.
// A number the host returned goes in as one when it rounds into the
// Integer's range; anything else takes the variant conversion, which fails
// as it should (a null, a text that is no number, an overflow).
void assign_pack_size(FixedRow& row, dbf::TDbfField& field) {
  if (const std::optional<HostNumber> box = row.number("box")) {
    const double whole = round_half_even(box->value);  // NaN stays NaN
    if (whole >= std::numeric_limits<int32_t>::min() &&
        whole <= std::numeric_limits<int32_t>::max()) {
      field.SetInteger(static_cast<int32_t>(whole));
      return;
    }
  }
  field.SetValue(Variant::integer(row.column("box").to_int32(row.settings())));
}

// In table order (713 bytes a record), each with the offset of its first byte
// in the record (byte 0 is the deletion flag). DESCR, the last field, is
// filled after FIRM.
constexpr std::array<FixedField, 38> kFields = {{
    {"NDOC;C;20;0", from_header("native_id"), 1},              // 1
    {"DATEDOC;D;0;0", from_header("date"), 2},                 // 21
    {"CODEPST;C;12;0", from_column("art_id"), 3},              // 29
    {"EAN13;C;13;0", from_column("ean13"), 4},                 // 41
    {"PRICE1;N;9;2", not_assigned()},                          // 54
    {"PRICE2;N;9;2", from_column("price"), 5},                 // 63
    {"PRICE2N;N;9;2", computed(assign_price_without_vat), 6},  // 72
    {"PRCIMP;N;9;2", not_assigned()},                          // 81
    {"PRCOPT;N;9;2", not_assigned()},                          // 90
    {"QNT;N;9;2", from_column("qty"), 7},                      // 99
    {"SER;C;20;0", from_column("serial"), 8},                  // 108
    {"GDATE;D;0;0", from_column("dateworklast"), 9},           // 128
    {"DateMade;D;0;0", from_column("dateworkfirst"), 10},      // 136
    {"NAME;C;80;0", from_column("art_name"), 11},              // 144
    {"CNTR;C;15;0", from_column("country"), 12},               // 224
    {"FIRM;C;40;0", from_column("maker"), 13},                 // 239
    {"QNTPACK;N;8;0", computed(assign_pack_size), 15},         // 279
    {"NDS;N;9;2", from_column("nds"), 16},                     // 287
    {"NSP;N;9;2", not_assigned()},                             // 296
    {"GNVLS;N;1;0", not_assigned()},                           // 305
    {"REGPRC;N;9;2", not_assigned()},                          // 306
    {"DATEPRC;D;0;0", not_assigned()},                         // 315
    {"NUMGTD;C;30;0", from_column("gtd"), 17},                 // 323
    {"SERTIF;C;80;0", from_column("sertname"), 18},            // 353
    {"SERTDATE;D;0;0", from_column("datesertlast"), 19},       // 433
    {"SERTORG;C;80;0", not_assigned()},                        // 441
    {"SUMPAY;N;9;2", from_total(kAmount), 20},                 // 521
    {"SUMNDS10;N;9;2", from_total(kAmount10), 21},             // 530
    {"SUMNDS20;N;9;2", from_total(kAmount20), 22},             // 539
    {"SUM10;N;9;2", from_total(kVat10), 23},                   // 548
    {"SUM20;N;9;2", from_total(kVat20), 24},                   // 557
    {"SUM0;N;9;2", not_assigned()},                            // 566
    {"EXCHCODE;N;1;0", not_assigned()},                        // 575
    {"ERATE;N;9;2", not_assigned()},                           // 576
    {"PODRCD;C;12;0", not_assigned()},                         // 585
    {"NUMZ;N;8;0", not_assigned()},                            // 597
    {"DATEZ;D;0;0", not_assigned()},                           // 605
    {"DESCR;C;100;0", from_header("orderdescr"), 14},          // 613
}};
static_assert(fill_order_is_complete(kFields));

}  // namespace

std::span<const FixedField> djinal_fields() {
  return kFields;
}

void write_djinal_table(TableRun& run, WaybillLines& waybill) {
  write_fixed_waybill_table(run, waybill, {kFields, sum_totals, kTotalCount});
}

}  // namespace pharmex::exporting
