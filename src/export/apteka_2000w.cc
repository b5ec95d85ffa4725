#include "export/apteka_2000w.h"

#include "export/text_numbers.h"
#include "export/text_record.h"
#include "export/waybill_amounts.h"
#include "export/waybill_text.h"
#include "platform/text_codec.h"

namespace pharmex::exporting {

namespace {

// T - V when V is above zero, otherwise an empty field.
std::string net_total(const WaybillSums& sums, double vat) {
  return vat > 0 ? four_decimals(sums.total - vat) : std::string();
}

void header_record(TextRecord& record, WaybillLines& waybill, const WaybillSums& sums,
                   const RegionalSettings& settings) {
  const platform::TextCodec& codec = platform::text_codec();
  add_document_fields(record, waybill, settings);
  record.add_field(four_decimals(sums.total));
  record.add_field(codec.utf16_to_ansi(u"ПОСТАВКА"));
  record.add_field(net_total(sums, sums.vat10));
  record.add_field(net_total(sums, sums.vat18));
  record.add_field(codec.utf16_to_ansi(u"РУБЛЬ"));
  record.add_field("1.00");
}

// The net unit price, for the 10 and 18 per cent lines only.
std::string net_price_field(const Variant& price, const Variant& nds,
                            const RegionalSettings& settings) {
  bool computed = vat_rate_is(nds, 18, settings) || vat_rate_is(nds, 10, settings);
  if (!computed) return {};
  return four_decimals(round_to_four_decimals(net_price(price, nds, settings)));
}

void body_record(TextRecord& record, const WaybillTextColumns& c,
                 const RegionalSettings& settings) {
  // Fields 1 to 3 are one piece: the code, then name and maker by the
  // variant rule.
  record.add_field(whole_number_text(c.art_id.value(), settings));
  record.append_value(c.art_name.value());
  record.end_field();
  record.append_value(c.maker.value());
  record.end_field();
  record.add_optional_value(c.country.value());
  record.add_field(whole_number_text(c.qty.value(), settings));
  Variant price = c.price.value();
  record.add_field(four_decimals(round_to_four_decimals(price.to_double(settings))));
  record.add_field(net_price_field(price, c.nds.value(), settings));
  record.add_empty_field();
  record.add_empty_field();
  record.add_empty_field();
  record.add_field("0");
  record.add_optional_value(c.gtd.value());
  record.add_optional_value(c.sertname.value());
  record.add_optional_value(c.serial.value());
  add_optional_date(record, c.dateworkfirst.value(), settings);
  add_optional_date(record, c.dateworklast.value(), settings);
  record.add_optional_value(c.ean13.value());
  record.add_empty_field();
  record.add_empty_field();
  record.add_empty_field();
}

}  // namespace

void write_apteka_2000w(WaybillLines& waybill, AtomicTextFile& file) {
  write_waybill_text(waybill, file, {header_record, body_record});
}

}  // namespace pharmex::exporting
