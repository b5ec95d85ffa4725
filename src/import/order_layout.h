// The three order-file layouts the import dialog offers. A partner's order
// file is a dBase table with one record per ordered article; the layouts
// agree on the algorithm that merges those records into the host's order
// (import/order_reader.h) and differ only in what is described here: which
// fields hold the supplier, the article and the quantity, and three steps of
// the reader's end.
//
//   layout      supplier        article    quantity  folder  rewind + 100
//   DBF 4       field suppl_id  ART_ID     QTY       yes     yes
//   Khabarovsk  always 3        COD        qty       no      no
//   Unico       always 3        CODEPST    QNT       yes     yes
//
// The DBF 4 layout is what the generic order export writes, so its supplier
// field is the field name the export gives the host column "suppliers_id".
// Field names are looked up without regard to case.
#pragma once

#include <cstdint>
#include <string>

namespace pharmex::importing {

// The supplier of every record of a layout that has no supplier field.
inline constexpr int32_t kFixedSupplier = 3;

struct OrderLayout {
  // The field holding the supplier key; "" when every record belongs to
  // kFixedSupplier.
  std::string supplier_field;
  std::string article_field;
  std::string quantity_field;
  // The reader stores the file's folder under "order_import_path".
  bool remembers_folder = true;
  // After the walk the reader moves the order lines to their first row and
  // reports 100 % when its last report was lower.
  bool rewinds_and_completes = true;
  // The finish callback is promised from the start callback on; when false
  // (Khabarovsk), only once the table dataset exists.
  bool finish_promised_from_start = true;
};

OrderLayout dbf4_order_layout();
OrderLayout khabarovsk_order_layout();
OrderLayout unico_order_layout();

}  // namespace pharmex::importing
