#include "export/waybill_lines.h"

namespace pharmex::exporting {

WaybillLines::WaybillLines(host::HostDataSet headers, host::HostDataSet lines)
    : headers_(std::move(headers)),
      lines_(std::move(lines)),
      price_(lines_.field_by_name(std::string_view("price"))),
      waybill_id_(lines_.field_by_name(std::string_view("waybillheads_id"))) {}

bool WaybillLines::current_line_passes(const RegionalSettings& settings) {
  price_.read_value(price_value_);
  if (compare(price_value_, Variant::integer(0), settings) != Ordering::Greater) return false;
  waybill_id_.read_value(waybill_id_value_);
  return headers_.locate(std::u16string_view(u"id"), waybill_id_value_);
}

}  // namespace pharmex::exporting
