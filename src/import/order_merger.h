// Merges order records into the host's order lines, one record at a time.
//
// A record is its key, (supplier, article), and its quantity. The key is
// located with the host columns "suppliers_id;art_id" first in the price
// list, then in the order lines:
//   - not in the price list: nothing changes (the supplier does not offer
//     the article), and the record's quantity is not needed;
//   - in the order lines: that line is edited, its quantity raised by the
//     record's quantity by variant addition with the run's settings (a null
//     on either side makes the quantity null), and posted;
//   - otherwise a line is appended: for each lines column in the host's
//     order, "RecId" is left to the host, "qty" gets the record's quantity,
//     and any other column gets the value of the price-list column of the
//     same name in the row just located, when the price list has one.
// "RecId" and "qty" are recognised by the column's name exactly, case
// included: a column "QTY" is an ordinary column, filled from a price-list
// column of that name.
//
// The merge is not transactional: lines merged before a failure stay merged.
#pragma once

#include <string_view>
#include <vector>

#include "core/regional_settings.h"
#include "core/variant.h"
#include "host/host_dataset.h"
#include "host/host_field.h"

namespace pharmex::importing {

// The host columns a record's key is located by, in the price list and in
// the order lines.
inline constexpr std::u16string_view kOrderKeyColumns = u"suppliers_id;art_id";

class OrderMerger {
 public:
  // Resolves the columns once for the run. Raises Error("The host data have
  // no column 'qty'") when no lines column is named exactly "qty", before
  // anything is merged, and Error("No dataset was given") for a missing
  // dataset. Quantities are added with `settings`.
  OrderMerger(host::HostDataSet prices, host::HostDataSet lines, const RegionalSettings& settings);

  // Locates a record's key in the price list; false when the price list has
  // no row for it, and the record then changes nothing.
  bool offered(const Variant& key);
  // Merges a record whose key offered() has just located in the price list
  // (a new line is filled from that row). The host cursors stay where the
  // locating, editing or appending left them.
  void merge_offered(const Variant& key, const Variant& quantity);

 private:
  // How a column of a new line is filled: from the price-list column, or
  // (price null) with the record's quantity.
  struct NewLineValue {
    host::HostField line;
    host::HostField price;
  };

  void raise_quantity(const Variant& quantity);
  void append_line(const Variant& quantity);

  RegionalSettings settings_;
  host::HostDataSet prices_;
  host::HostDataSet lines_;
  host::HostField quantity_;
  std::vector<NewLineValue> new_line_;
};

}  // namespace pharmex::importing
