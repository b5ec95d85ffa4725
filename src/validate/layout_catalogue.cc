#include "validate/layout_catalogue.h"

#include <span>
#include <string_view>

#include "dbf/field_spec.h"
#include "export/apteka_2000w.h"
#include "export/apteka_m_table.h"
#include "export/djinal_table.h"
#include "export/efarma_sst.h"
#include "export/field_rules.h"
#include "export/generic_waybill_table.h"
#include "export/khabarovsk_price_table.h"
#include "export/order_export.h"
#include "export/price_export.h"
#include "export/supplier_export.h"
#include "export/unico_price_table.h"
#include "host/field_name_rule.h"

namespace pharmex::validate {

namespace {

FieldShape shape_of(const dbf::TFieldSpec& spec) {
  return {spec.StoredType(), spec.RecordBytes(), spec.StoredDecimals()};
}

std::string stored_name(std::string_view name) {
  dbf::TFieldSpec spec;
  spec.name = std::string(name);
  return spec.StoredName();
}

// The shapes the field-type rule gives a host column, whatever its type and
// width (a text column of 1 to 256 characters covers every width it maps).
std::set<FieldShape> generic_shapes() {
  std::set<FieldShape> shapes;
  for (int type = 0; type < 128; ++type) {
    for (int32_t size = 1; size <= 256; ++size) {
      const std::string rest = exporting::type_specification(static_cast<uint8_t>(type), size);
      if (rest.empty()) continue;
      if (std::optional<dbf::TFieldSpec> spec = dbf::TFieldSpec::Parse("X;" + rest)) {
        shapes.insert(shape_of(*spec));
      }
    }
  }
  return shapes;
}

TableLayout generic(std::string name, std::string title, std::span<const std::string_view> columns,
                    const std::set<FieldShape>& shapes) {
  TableLayout layout;
  layout.name = std::move(name);
  layout.title = std::move(title);
  layout.form = TableForm::generic;
  for (std::string_view column : columns)
    layout.names.push_back(stored_name(host::field_name_for_column(column)));
  layout.shapes = shapes;
  return layout;
}

TableLayout fixed(std::string name, std::string title,
                  std::span<const exporting::FixedField> fields) {
  TableLayout layout;
  layout.name = std::move(name);
  layout.title = std::move(title);
  layout.form = TableForm::fixed;
  for (const exporting::FixedField& field : fields) {
    // The layouts' own tables: each specification parses (the export
    // creates its table from them).
    const dbf::TFieldSpec spec = *dbf::TFieldSpec::Parse(field.specification);
    layout.fields.push_back({spec.StoredName(), shape_of(spec)});
  }
  return layout;
}

TableLayout order_file(std::string name, std::string title, importing::OrderLayout order) {
  TableLayout layout;
  layout.name = std::move(name);
  layout.title = std::move(title);
  layout.form = TableForm::order_file;
  for (const std::string& field :
       {order.supplier_field, order.article_field, order.quantity_field}) {
    if (!field.empty()) layout.fields.push_back({stored_name(field), {}});
  }
  layout.order = std::move(order);
  return layout;
}

TextLayout text_layout(std::string name, std::string title,
                       const exporting::WaybillTextLayout& parts, std::string extension) {
  return {std::move(name), std::move(title), &parts, exporting::body_fields(parts),
          std::move(extension)};
}

}  // namespace

const LayoutCatalogue& LayoutCatalogue::instance() {
  static const LayoutCatalogue catalogue;
  return catalogue;
}

LayoutCatalogue::LayoutCatalogue() {
  const std::set<FieldShape> shapes = generic_shapes();
  tables_ = {
      generic("supplier", "supplier table", exporting::supplier_columns(), shapes),
      generic("order", "order table", exporting::order_columns(), shapes),
      generic("price", "price table, DBF 4", exporting::price_columns(), shapes),
      fixed("price-khabarovsk", "Khabarovsk price table", exporting::khabarovsk_price_fields()),
      fixed("price-unico", "Unico price table", exporting::unico_price_fields()),
      generic("waybill", "waybill table, DBF 4 and GornyVershini", exporting::waybill_columns(),
              shapes),
      fixed("waybill-djinal", "Djinal waybill table", exporting::djinal_fields()),
      fixed("waybill-apteka-m", "Apteka M waybill table", exporting::apteka_m_fields()),
      order_file("import-dbf4", "DBF 4 order file", importing::dbf4_order_layout()),
      order_file("import-khabarovsk", "Khabarovsk order file",
                 importing::khabarovsk_order_layout()),
      order_file("import-unico", "Unico order file", importing::unico_order_layout()),
  };
  texts_ = {
      text_layout("waybill-efarma-sst", "E-Farma SST waybill text file",
                  exporting::efarma_sst_layout(), ".SST"),
      text_layout("waybill-apteka2000w", "Apteka 2000W waybill text file",
                  exporting::apteka_2000w_layout(), ".txt"),
  };
}

const TableLayout* LayoutCatalogue::table(std::string_view name) const {
  for (const TableLayout& layout : tables_) {
    if (layout.name == name) return &layout;
  }
  return nullptr;
}

const TextLayout* LayoutCatalogue::text(std::string_view name) const {
  for (const TextLayout& layout : texts_) {
    if (layout.name == name) return &layout;
  }
  return nullptr;
}

std::vector<std::string> LayoutCatalogue::names() const {
  std::vector<std::string> names;
  for (const TableLayout& layout : tables_)
    names.push_back(layout.name);
  for (const TextLayout& layout : texts_)
    names.push_back(layout.name);
  return names;
}

}  // namespace pharmex::validate
