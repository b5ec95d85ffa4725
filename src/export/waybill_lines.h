// The two datasets of a waybill export and the rule every waybill layout
// applies to a line: it is written only when its "price" is above zero and the
// header dataset can be positioned on its waybill (the header whose "id" is
// the line's "waybillheads_id"). Header columns are then read from the row the
// positioning found.
#pragma once

#include <string_view>

#include "host/host_dataset.h"
#include "host/host_field.h"

namespace pharmex::exporting {

class WaybillLines {
 public:
  WaybillLines(host::HostDataSet headers, host::HostDataSet lines);

  host::HostDataSet& headers() { return headers_; }
  host::HostDataSet& lines() { return lines_; }

  // A column of the lines dataset, looked up once; a missing column fails
  // when it is read ("The host data have no column '%s'").
  host::HostField line_column(std::string_view name) const { return lines_.field_by_name(name); }
  host::HostField header_column(std::string_view name) const {
    return headers_.field_by_name(name);
  }

  // The filter for the lines dataset's current row (moves the header cursor).
  bool current_line_passes();

 private:
  host::HostDataSet headers_;
  host::HostDataSet lines_;
  host::HostField price_;
  host::HostField waybill_id_;
};

}  // namespace pharmex::exporting
