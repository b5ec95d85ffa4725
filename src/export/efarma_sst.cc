#include "export/efarma_sst.h"

#include <array>

#include "export/text_numbers.h"
#include "export/waybill_text.h"

namespace pharmex::exporting {

namespace {

// The VAT sum with four decimals when above zero, otherwise "0".
std::string vat_field(double /*total*/, double vat) {
  return vat > 0 ? four_decimals(vat) : "0";
}

// Body fields 7 to 10: "0", the net unit price, "0", "0".
constexpr std::array<TextBody, 4> kAmounts = {TextBody::zero, TextBody::net_price, TextBody::zero,
                                              TextBody::zero};
// Body fields 17 to 19.
constexpr std::array<TextBody, 3> kClosing = {TextBody::empty, TextBody::empty, TextBody::zero};

// The name is upper-cased; the certificate name is taken as text, so a number
// is written as its text.
constexpr WaybillTextLayout kLayout = {
    vat_field, "1", TextBody::upper_text, kAmounts, TextBody::text_or_empty, kClosing};

}  // namespace

const WaybillTextLayout& efarma_sst_layout() {
  return kLayout;
}

void write_efarma_sst(WaybillLines& waybill, AtomicTextFile& file,
                      const RegionalSettings& settings) {
  write_waybill_text(waybill, file, kLayout, settings);
}

}  // namespace pharmex::exporting
