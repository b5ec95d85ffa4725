#include "import/order_record_fields.h"

#include <vector>

namespace pharmex::importing {

namespace {

const dbf::TDbfField* supplier_field(dbf::TDbfDataSet& table, const OrderLayout& layout) {
  if (layout.supplier_field.empty()) return nullptr;
  return &table.FieldByName(layout.supplier_field);
}

}  // namespace

// Members initialise in declaration order, so a missing supplier field is
// reported before a missing article, and that before a missing quantity.
OrderRecordFields::OrderRecordFields(dbf::TDbfDataSet& table, const OrderLayout& layout)
    : supplier_(supplier_field(table, layout)),
      article_(table.FieldByName(layout.article_field)),
      quantity_(table.FieldByName(layout.quantity_field)) {}

Variant OrderRecordFields::key() const {
  Variant supplier = supplier_ != nullptr ? supplier_->Value() : Variant::integer(kFixedSupplier);
  return Variant::array({std::move(supplier), article_.Value()});
}

}  // namespace pharmex::importing
