// LayoutCatalogue: every layout validate knows, built once from the
// library's definitions, and found by the name --layout gives:
//
//   supplier, order, price, waybill      generic tables (waybill is also the
//                                        GornyVershini file)
//   price-khabarovsk, price-unico,       fixed partner tables
//   waybill-djinal, waybill-apteka-m
//   waybill-efarma-sst,                  waybill text files
//   waybill-apteka2000w
//   import-dbf4, import-khabarovsk,      order files the import reads
//   import-unico
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "validate/table_layout.h"

namespace pharmex::validate {

class LayoutCatalogue {
 public:
  static const LayoutCatalogue& instance();

  // The table layouts: those the library writes first, then the order files.
  const std::vector<TableLayout>& tables() const { return tables_; }
  const std::vector<TextLayout>& texts() const { return texts_; }

  // By name; null when there is none.
  const TableLayout* table(std::string_view name) const;
  const TextLayout* text(std::string_view name) const;
  // Every name, in catalogue order.
  std::vector<std::string> names() const;

 private:
  LayoutCatalogue();

  std::vector<TableLayout> tables_;
  std::vector<TextLayout> texts_;
};

}  // namespace pharmex::validate
