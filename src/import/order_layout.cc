#include "import/order_layout.h"

#include "host/field_name_rule.h"

namespace pharmex::importing {

OrderLayout dbf4_order_layout() {
  OrderLayout layout;
  layout.supplier_field = host::field_name_for_column("suppliers_id");
  layout.article_field = "ART_ID";
  layout.quantity_field = "QTY";
  return layout;
}

OrderLayout khabarovsk_order_layout() {
  OrderLayout layout;
  layout.article_field = "COD";
  layout.quantity_field = "qty";
  layout.remembers_folder = false;
  layout.rewinds_and_completes = false;
  layout.finish_promised_from_start = false;
  return layout;
}

OrderLayout unico_order_layout() {
  OrderLayout layout;
  layout.article_field = "CODEPST";
  layout.quantity_field = "QNT";
  return layout;
}

}  // namespace pharmex::importing
