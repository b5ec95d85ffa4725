#include "export/waybill_text.h"

#include "core/regional_settings.h"
#include "export/text_numbers.h"
#include "export/text_record.h"
#include "export/waybill_amounts.h"
#include "platform/text_codec.h"

namespace pharmex::exporting {

namespace {

WaybillSums sum_waybill_lines(WaybillLines& waybill, const WaybillTextColumns& columns,
                              const RegionalSettings& settings) {
  WaybillSums sums;
  const Variant hundred = Variant::integer(100);
  host::HostDataSet& lines = waybill.lines();
  lines.first();
  while (!lines.eof()) {
    Variant price = columns.price.value();
    Variant qty = columns.qty.value();
    sums.total = add_to_total(sums.total, multiply(price, qty, settings), settings);
    Variant nds = columns.nds.value();
    bool ten = vat_rate_is(nds, 10, settings);
    if (ten || vat_rate_is(nds, 18, settings)) {
      Variant vat =
          multiply(price, multiply(qty, divide(nds, hundred, settings), settings), settings);
      double& sum = ten ? sums.vat10 : sums.vat18;
      sum = add_to_total(sum, vat, settings);
    }
    lines.next();
  }
  return sums;
}

void header_record(TextRecord& record, WaybillLines& waybill, const WaybillSums& sums,
                   const WaybillTextLayout& layout, const RegionalSettings& settings) {
  const platform::TextCodec& codec = platform::text_codec();
  Variant number = waybill.header_column("native_id").value();
  record.add_field(general_number(number.to_double(settings)));
  record.add_field(short_date(waybill.header_column("date").value(), settings));
  record.add_field(four_decimals(sums.total));
  record.add_field(codec.utf16_to_ansi(u"ПОСТАВКА"));
  record.add_field(layout.vat_field(sums.total, sums.vat10));
  record.add_field(layout.vat_field(sums.total, sums.vat18));
  record.add_field(codec.utf16_to_ansi(u"РУБЛЬ"));
  record.add_field(layout.rate);
}

// "price" / (1 + "nds" / 100) by the variant rules, rounded to four decimals
// and written with four.
std::string net_price(const WaybillTextColumns& c, const RegionalSettings& settings) {
  double net = price_without_vat(c.price.value(), c.nds.value(), settings).to_double(settings);
  return four_decimals(round_to_four_decimals(net));
}

bool vat_rate_is_10_or_18(const Variant& nds, const RegionalSettings& settings) {
  return vat_rate_is(nds, 18, settings) || vat_rate_is(nds, 10, settings);
}

struct TextBodyField {
  TextBody kind;
  host::HostField WaybillTextColumns::*column = nullptr;  // for the kinds that read one
};

void add_body_field(TextRecord& record, const TextBodyField& field, const WaybillTextColumns& c,
                    const RegionalSettings& settings) {
  Variant value = field.column != nullptr ? (c.*field.column).value() : Variant();
  switch (field.kind) {
    case TextBody::empty:
      record.add_empty_field();
      return;
    case TextBody::zero:
      record.add_field("0");
      return;
    case TextBody::whole_number:
      record.add_field(whole_number_text(value, settings));
      return;
    case TextBody::upper_text:
      record.add_field(platform::text_codec().upper_ansi(value_text(value, settings)));
      return;
    case TextBody::appended:
      record.append_value(value);
      record.end_field();
      return;
    case TextBody::optional:
      record.add_optional_value(value);
      return;
    case TextBody::text_or_empty:
      record.add_field(value.is_null() ? std::string() : value_text(value, settings));
      return;
    case TextBody::date_or_empty: {
      bool none = value.is_null() || value.is_empty();
      record.add_field(none ? std::string() : body_date(value, settings));
      return;
    }
    case TextBody::price:
      record.add_field(four_decimals(round_to_four_decimals(c.price.value().to_double(settings))));
      return;
    case TextBody::net_price:
      record.add_field(net_price(c, settings));
      return;
    case TextBody::net_price_at_10_or_18:
      record.add_field(vat_rate_is_10_or_18(c.nds.value(), settings) ? net_price(c, settings)
                                                                     : std::string());
      return;
  }
}

void add_body_fields(TextRecord& record, std::span<const TextBodyField> fields,
                     const WaybillTextColumns& c, const RegionalSettings& settings) {
  for (const TextBodyField& field : fields)
    add_body_field(record, field, c, settings);
}

void add_body_fields(TextRecord& record, std::span<const TextBody> kinds,
                     const WaybillTextColumns& c, const RegionalSettings& settings) {
  for (TextBody kind : kinds)
    add_body_field(record, {kind}, c, settings);
}

using C = WaybillTextColumns;

// The body record; the fields are those both layouts write alike, the
// layout's own parts between them.
void body_record(TextRecord& record, const WaybillTextLayout& layout, const WaybillTextColumns& c,
                 const RegionalSettings& settings) {
  const TextBodyField article[] = {
      {TextBody::whole_number, &C::art_id}, {layout.name, &C::art_name},
      {TextBody::appended, &C::maker},      {TextBody::optional, &C::country},
      {TextBody::whole_number, &C::qty},    {TextBody::price},
  };
  const TextBodyField documents[] = {
      {TextBody::optional, &C::gtd},
      {layout.certificate, &C::sertname},
      {TextBody::optional, &C::serial},
      {TextBody::date_or_empty, &C::dateworkfirst},
      {TextBody::date_or_empty, &C::dateworklast},
      {TextBody::optional, &C::ean13},
  };
  add_body_fields(record, article, c, settings);
  add_body_fields(record, layout.amounts, c, settings);
  add_body_fields(record, documents, c, settings);
  add_body_fields(record, layout.closing, c, settings);
}

}  // namespace

WaybillTextColumns::WaybillTextColumns(const WaybillLines& waybill)
    : price(waybill.line_column("price")),
      qty(waybill.line_column("qty")),
      nds(waybill.line_column("nds")),
      art_id(waybill.line_column("art_id")),
      art_name(waybill.line_column("art_name")),
      maker(waybill.line_column("maker")),
      country(waybill.line_column("country")),
      gtd(waybill.line_column("gtd")),
      sertname(waybill.line_column("sertname")),
      serial(waybill.line_column("serial")),
      dateworkfirst(waybill.line_column("dateworkfirst")),
      dateworklast(waybill.line_column("dateworklast")),
      ean13(waybill.line_column("ean13")) {}

void write_waybill_text(WaybillLines& waybill, AtomicTextFile& file,
                        const WaybillTextLayout& layout, const RegionalSettings& run_settings) {
  const RegionalSettings settings = text_layout_settings(run_settings);
  const WaybillTextColumns columns(waybill);
  const WaybillSums sums = sum_waybill_lines(waybill, columns, settings);
  TextRecord record(settings);
  file.write_line("[Header]");
  header_record(record, waybill, sums, layout, settings);
  file.write_line(record.text());
  file.write_line("[Body]");
  host::HostDataSet& lines = waybill.lines();
  lines.first();
  while (!lines.eof()) {
    if (waybill.current_line_passes(settings)) {
      record.clear();
      body_record(record, layout, columns, settings);
      file.write_line(record.text());
    }
    lines.next();
  }
}

RegionalSettings text_layout_settings(const RegionalSettings& run_settings) {
  RegionalSettings settings = run_settings;
  settings.decimal_separator = '.';
  return settings;
}

}  // namespace pharmex::exporting
