#include "export/apteka_2000w.h"

#include <array>

#include "export/text_numbers.h"
#include "export/waybill_text.h"

namespace pharmex::exporting {

namespace {

// The total less the VAT sum, when that is above zero; otherwise empty.
std::string net_total(double total, double vat) {
  return vat > 0 ? four_decimals(total - vat) : std::string();
}

// Body fields 7 to 11: the net unit price of a 10 or 18 per cent line, three
// empty fields, "0".
constexpr std::array<TextBody, 5> kAmounts = {TextBody::net_price_at_10_or_18, TextBody::empty,
                                              TextBody::empty, TextBody::empty, TextBody::zero};
// Body fields 18 to 20.
constexpr std::array<TextBody, 3> kClosing = {TextBody::empty, TextBody::empty, TextBody::empty};

// Name and certificate name are appended by the variant rule, as they are.
constexpr WaybillTextLayout kLayout = {net_total,          "1.00",  TextBody::appended, kAmounts,
                                       TextBody::optional, kClosing};

}  // namespace

const WaybillTextLayout& apteka_2000w_layout() {
  return kLayout;
}

void write_apteka_2000w(WaybillLines& waybill, AtomicTextFile& file,
                        const RegionalSettings& settings) {
  write_waybill_text(waybill, file, kLayout, settings);
}

}  // namespace pharmex::exporting
