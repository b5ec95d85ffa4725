// The two datasets of a waybill export and the rule every waybill layout
// applies to a line: it is written only when its "price" is above zero and the
// header dataset can be positioned on its waybill (the header whose "id" is
// the line's "waybillheads_id"). Header columns are then read from the row the
// positioning found.
//
// A price given as text is read with the layout's own settings, as the
// layout reads its other numbers: the table layouts with the process-wide
// settings, the text layouts with "." as decimal separator. So a line the
// filter lets through is one whose price the layout can also compute with.
//
// A waybill's lines usually follow one another: a line whose whole-number
// "waybillheads_id" is the line before's is on the same header, found or not,
// without asking the host to position it again (nothing else moves the
// header cursor during a run). header_moves() counts the positionings, so
// that a layout reads a header row's columns once for all its lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/abi_variant.h"
#include "core/variant.h"
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

  // The filter for the lines dataset's current row (moves the header cursor);
  // `settings` read a price given as text.
  bool current_line_passes(const RegionalSettings& settings);

  // How many times the filter has positioned the header cursor (1 before the
  // first): header values read since it last changed are the current row's.
  const uint64_t& header_moves() const { return header_moves_; }

 private:
  bool price_above_zero(const RegionalSettings& settings);
  bool locate_header();

  host::HostDataSet headers_;
  host::HostDataSet lines_;
  host::HostField price_;
  host::HostField waybill_id_;
  // The two values of the line just read, as the host returned them, and
  // converted where a number's test or a whole number's key does not do.
  // Kept from line to line.
  AbiVariant price_raw_;
  AbiVariant waybill_id_raw_;
  Variant price_value_;
  Variant waybill_id_value_;
  // The whole-number key of the last positioning and what it found; none
  // after a key of another kind.
  std::optional<PxVariant> located_key_;
  bool located_ = false;
  uint64_t header_moves_ = 1;
};

}  // namespace pharmex::exporting
