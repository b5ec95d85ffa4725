// ColumnList: a layout's fixed list of host column names (the supplier, order,
// price and waybill lists). A host column belongs to the list when its name
// equals one entry once both are upper-cased by the ANSI code page's rules,
// so "ART_ID" and "Price" belong to a list holding "art_id" and "price".
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pharmex::exporting {

class ColumnList {
 public:
  // The entries are ANSI (the lists are ASCII).
  explicit ColumnList(std::span<const std::string_view> entries);

  bool contains(std::string_view column_name) const;

 private:
  std::vector<std::string> upper_entries_;
};

}  // namespace pharmex::exporting
