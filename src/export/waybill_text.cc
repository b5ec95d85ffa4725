#include "export/waybill_text.h"

#include <stdexcept>
#include <utility>

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

std::string header_field(TextHeader field, WaybillLines& waybill, const WaybillSums& sums,
                         const WaybillTextLayout& layout, const RegionalSettings& settings) {
  const platform::TextCodec& codec = platform::text_codec();
  switch (field) {
    case TextHeader::number:
      return general_number(waybill.header_column("native_id").value().to_double(settings));
    case TextHeader::short_date:
      return short_date(waybill.header_column("date").value(), settings);
    case TextHeader::total:
      return four_decimals(sums.total);
    case TextHeader::delivery:
      return codec.utf16_to_ansi(kDeliveryText);
    case TextHeader::vat10:
      return layout.vat_field(sums.total, sums.vat10);
    case TextHeader::vat18:
      return layout.vat_field(sums.total, sums.vat18);
    case TextHeader::currency:
      return codec.utf16_to_ansi(kCurrencyText);
    case TextHeader::rate:
      break;
  }
  return std::string(layout.rate);
}

void header_record(TextRecord& record, WaybillLines& waybill, const WaybillSums& sums,
                   const WaybillTextLayout& layout, const RegionalSettings& settings) {
  for (TextHeader field : kTextHeaderFields)
    record.add_field(header_field(field, waybill, sums, layout, settings));
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

// A body field with its column found for the run, and the variant the
// column's values are read into from line to line (a text allocates nothing
// once the first lines have made room).
struct BoundField {
  TextBody kind;
  const host::HostField* column;  // null for the kinds that read none
  Variant value{};
};

void add_body_field(TextRecord& record, BoundField& field, const WaybillTextColumns& c,
                    const RegionalSettings& settings) {
  if (field.column != nullptr) field.column->read_value(field.value);
  const Variant& value = field.value;  // empty for the kinds that read no column
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
      record.add_value_text(value, true);
      return;
    case TextBody::appended:
      record.append_value(value);
      record.end_field();
      return;
    case TextBody::optional:
      record.add_optional_value(value);
      return;
    case TextBody::text_or_empty:
      if (value.is_null()) {
        record.add_empty_field();
      } else {
        record.add_value_text(value);
      }
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

std::vector<BoundField> bind(std::span<const TextBodyField> fields, const WaybillTextColumns& c) {
  std::vector<BoundField> bound;
  bound.reserve(fields.size());
  for (const TextBodyField& field : fields)
    bound.push_back({field.kind, field.column.empty() ? nullptr : &c.named(field.column)});
  return bound;
}

void body_record(TextRecord& record, std::span<BoundField> fields, const WaybillTextColumns& c,
                 const RegionalSettings& settings) {
  for (BoundField& field : fields)
    add_body_field(record, field, c, settings);
}

using C = WaybillTextColumns;

// The columns by name, in the order they are looked up.
constexpr std::pair<std::string_view, host::HostField C::*> kColumns[] = {
    {"price", &C::price},
    {"qty", &C::qty},
    {"nds", &C::nds},
    {"art_id", &C::art_id},
    {"art_name", &C::art_name},
    {"maker", &C::maker},
    {"country", &C::country},
    {"gtd", &C::gtd},
    {"sertname", &C::sertname},
    {"serial", &C::serial},
    {"dateworkfirst", &C::dateworkfirst},
    {"dateworklast", &C::dateworklast},
    {"ean13", &C::ean13},
};

}  // namespace

WaybillTextColumns::WaybillTextColumns(const WaybillLines& waybill) {
  for (const auto& [name, column] : kColumns)
    this->*column = waybill.line_column(name);
}

const host::HostField& WaybillTextColumns::named(std::string_view column) const {
  for (const auto& [name, member] : kColumns) {
    if (name == column) return this->*member;
  }
  throw std::logic_error("no waybill text column " + std::string(column));
}

std::vector<TextBodyField> body_fields(const WaybillTextLayout& layout) {
  std::vector<TextBodyField> fields = {
      {TextBody::whole_number, "art_id"}, {layout.name, "art_name"},
      {TextBody::appended, "maker"},      {TextBody::optional, "country"},
      {TextBody::whole_number, "qty"},    {TextBody::price},
  };
  for (TextBody kind : layout.amounts)
    fields.push_back({kind});
  fields.insert(fields.end(), {
                                  {TextBody::optional, "gtd"},
                                  {layout.certificate, "sertname"},
                                  {TextBody::optional, "serial"},
                                  {TextBody::date_or_empty, "dateworkfirst"},
                                  {TextBody::date_or_empty, "dateworklast"},
                                  {TextBody::optional, "ean13"},
                              });
  for (TextBody kind : layout.closing)
    fields.push_back({kind});
  return fields;
}

void write_waybill_text(WaybillLines& waybill, AtomicTextFile& file,
                        const WaybillTextLayout& layout, const RegionalSettings& run_settings) {
  const RegionalSettings settings = text_layout_settings(run_settings);
  const WaybillTextColumns columns(waybill);
  std::vector<BoundField> fields = bind(body_fields(layout), columns);
  const WaybillSums sums = sum_waybill_lines(waybill, columns, settings);
  TextRecord record(settings);
  file.write_line(kHeaderSection);
  header_record(record, waybill, sums, layout, settings);
  file.write_line(record.text());
  file.write_line(kBodySection);
  host::HostDataSet& lines = waybill.lines();
  lines.first();
  while (!lines.eof()) {
    if (waybill.current_line_passes(settings)) {
      record.clear();
      body_record(record, fields, columns, settings);
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
