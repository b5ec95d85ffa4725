#include "export/efarma_sst.h"

#include "export/text_numbers.h"
#include "export/text_record.h"
#include "export/waybill_text.h"
#include "platform/text_codec.h"

namespace pharmex::exporting {

namespace {

void header_record(TextRecord& record, WaybillLines& waybill, const WaybillSums& sums,
                   const RegionalSettings& settings) {
  const platform::TextCodec& codec = platform::text_codec();
  add_document_fields(record, waybill, settings);
  record.add_field(four_decimals(sums.total));
  record.add_field(codec.utf16_to_ansi(u"ПОСТАВКА"));
  record.add_field(sums.vat10 > 0 ? four_decimals(sums.vat10) : "0");
  record.add_field(sums.vat18 > 0 ? four_decimals(sums.vat18) : "0");
  record.add_field(codec.utf16_to_ansi(u"РУБЛЬ"));
  record.add_field("1");
}

void body_record(TextRecord& record, const WaybillTextColumns& c,
                 const RegionalSettings& settings) {
  // Fields 1 to 3 are one piece: code, upper-cased name, then the maker by the
  // variant rule.
  record.add_field(whole_number_text(c.art_id.value(), settings));
  record.add_field(platform::text_codec().upper_ansi(value_text(c.art_name.value(), settings)));
  record.append_value(c.maker.value());
  record.end_field();
  record.add_optional_value(c.country.value());
  record.add_field(whole_number_text(c.qty.value(), settings));
  Variant price = c.price.value();
  record.add_field(four_decimals(round_to_four_decimals(price.to_double(settings))));
  record.add_field("0");
  double net = net_price(price, c.nds.value(), settings);
  record.add_field(four_decimals(round_to_four_decimals(net)));
  record.add_field("0");
  record.add_field("0");
  record.add_optional_value(c.gtd.value());
  // The certificate name is taken as text, so a number is written as its text.
  Variant sertname = c.sertname.value();
  record.add_field(sertname.is_null() ? std::string() : value_text(sertname, settings));
  record.add_optional_value(c.serial.value());
  add_optional_date(record, c.dateworkfirst.value(), settings);
  add_optional_date(record, c.dateworklast.value(), settings);
  record.add_optional_value(c.ean13.value());
  record.add_empty_field();
  record.add_empty_field();
  record.add_field("0");
}

}  // namespace

void write_efarma_sst(WaybillLines& waybill, AtomicTextFile& file) {
  write_waybill_text(waybill, file, {header_record, body_record});
}

}  // namespace pharmex::exporting
