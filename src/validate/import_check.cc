#include "validate/import_check.h"

#include <optional>

#include "core/error.h"
#include "dbf/dbf_dataset.h"
#include "host/host_dataset.h"
#include "import/order_merger.h"
#include "import/order_record_fields.h"
#include "platform/text_codec.h"

namespace pharmex::validate {

namespace {

using Place = Finding::Place;

std::string utf8(std::string_view ansi) {
  return platform::text_codec().ansi_to_utf8(ansi);
}

std::string text_of(const Variant& value, const RegionalSettings& settings) {
  return platform::utf16_to_utf8(value.to_text(settings));
}

// Where a record's field starts in the file; the record's start for a field
// the table lacks.
uint64_t field_offset(const TableStructure& table, int64_t record, const std::string& name) {
  const uint64_t at = table.header_length + static_cast<uint64_t>(record - 1) * table.record_length;
  const Descriptor* field = table.field(name);
  return field != nullptr ? at + field->offset : at;
}

void check_quantity(int64_t record, const Variant& quantity, const TableLayout& layout, uint64_t at,
                    const RegionalSettings& settings, Findings& findings) {
  double value = 0;
  try {
    value = quantity.to_double(settings);
  } catch (const Error&) {
    findings.add(Place::record, record, layout.order.quantity_field, at,
                 "the quantity " + text_of(quantity, settings) + " is no number",
                 "a quantity above 0");
    return;
  }
  if (value == 0) {
    findings.add(Place::record, record, layout.order.quantity_field, at,
                 "no quantity: it reads as 0, so the import adds nothing (a new line gets 0)",
                 "a quantity above 0");
  } else if (value < 0) {
    findings.add(Place::record, record, layout.order.quantity_field, at,
                 "the quantity " + text_of(quantity, settings) +
                     " is below 0: the import lowers the ordered quantity",
                 "a quantity above 0");
  }
}

}  // namespace

void check_import(const std::string& path, const TableStructure& table, const TableLayout& layout,
                  host::HostRef<IDataSet> prices, const dbf::EngineOptions& options,
                  Findings& findings) {
  const RegionalSettings& settings = options.settings;
  dbf::TDbfDataSet order(options);
  order.SetTableName(path);
  order.SetReadOnly(true);
  order.SetLargeIntegerAs(dbf::TIntFields::asLargeInt);
  try {
    order.Open();
  } catch (const Error& e) {
    findings.add(Place::file, 0, "", std::nullopt, "the import fails: " + utf8(e.what()));
    return;
  }
  host::HostDataSet price_list(std::move(prices));
  std::optional<importing::OrderRecordFields> fields;
  for (; !order.Eof(); order.Next()) {
    const int64_t record = order.RecNo();
    const uint64_t article_at = field_offset(table, record, layout.order.article_field);
    try {
      if (!fields) fields.emplace(order, layout.order);
      const Variant key = fields->key();
      if (!price_list.locate(importing::kOrderKeyColumns, key)) {
        findings.add(Place::record, record, layout.order.article_field, article_at,
                     "the price list has no article " + text_of(key.array_value()[1], settings) +
                         " of supplier " + text_of(key.array_value()[0], settings) +
                         ": the import passes the record over",
                     "an article of the price list");
        continue;
      }
      check_quantity(record, fields->quantity(), layout,
                     field_offset(table, record, layout.order.quantity_field), settings, findings);
    } catch (const Error& e) {
      findings.add(Place::record, record, "", article_at,
                   "the import stops here: " + utf8(e.what()), "a record the import can read");
      if (!fields) return;  // a field it reads is missing: every record fails so
    }
  }
}

}  // namespace pharmex::validate
