// The fields of an open order file that one layout reads, looked up once
// (without regard to case) and then read record by record.
#pragma once

#include "core/variant.h"
#include "dbf/dbf_dataset.h"
#include "dbf/dbf_field.h"
#include "import/order_layout.h"

namespace pharmex::importing {

class OrderRecordFields {
 public:
  // Looks the layout's fields up in the open table: supplier (when the
  // layout has one), article, quantity. The first that is missing raises
  // DatabaseError("Field '%s' not found") with the name as the layout spells
  // it. The fields live until the table closes.
  OrderRecordFields(dbf::TDbfDataSet& table, const OrderLayout& layout);

  // The current record's key: an array of the supplier key and the article
  // value, as the table yields them. Field conversion failures of a damaged
  // record are raised ("Invalid numeric value in field %s", ...).
  Variant key() const;
  Variant quantity() const { return quantity_.Value(); }

 private:
  const dbf::TDbfField* supplier_;  // null: kFixedSupplier
  const dbf::TDbfField& article_;
  const dbf::TDbfField& quantity_;
};

}  // namespace pharmex::importing
