#include "export/waybill_text.h"

#include "core/regional_settings.h"
#include "export/text_numbers.h"
#include "export/waybill_amounts.h"

namespace pharmex::exporting {

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

double net_price(const Variant& price, const Variant& nds, const RegionalSettings& settings) {
  return price_without_vat(price, nds, settings).to_double(settings);
}

void add_document_fields(TextRecord& record, WaybillLines& waybill,
                         const RegionalSettings& settings) {
  Variant number = waybill.header_column("native_id").value();
  record.add_field(general_number(number.to_double(settings)));
  record.add_field(short_date(waybill.header_column("date").value(), settings));
}

void add_optional_date(TextRecord& record, const Variant& value, const RegionalSettings& settings) {
  bool none = value.is_null() || value.is_empty();
  record.add_field(none ? std::string() : body_date(value, settings));
}

void write_waybill_text(WaybillLines& waybill, AtomicTextFile& file,
                        const WaybillTextLayout& layout) {
  const RegionalSettings settings = text_layout_settings();
  const WaybillTextColumns columns(waybill);
  const WaybillSums sums = sum_waybill_lines(waybill, columns, settings);
  TextRecord record(settings);
  file.write_line("[Header]");
  layout.header(record, waybill, sums, settings);
  file.write_line(record.text());
  file.write_line("[Body]");
  host::HostDataSet& lines = waybill.lines();
  lines.first();
  while (!lines.eof()) {
    if (waybill.current_line_passes(settings)) {
      record.clear();
      layout.body(record, columns, settings);
      file.write_line(record.text());
    }
    lines.next();
  }
}

RegionalSettings text_layout_settings() {
  RegionalSettings settings = regional_settings();
  settings.decimal_separator = '.';
  return settings;
}

}  // namespace pharmex::exporting
