#include "export/waybill_lines.h"

namespace pharmex::exporting {

WaybillLines::WaybillLines(host::HostDataSet headers, host::HostDataSet lines)
    : headers_(std::move(headers)),
      lines_(std::move(lines)),
      price_(lines_.field_by_name(std::string_view("price"))),
      waybill_id_(lines_.field_by_name(std::string_view("waybillheads_id"))) {}

bool WaybillLines::current_line_passes(const RegionalSettings& settings) {
  price_.read_raw(price_raw_);
  if (!price_above_zero(settings)) return false;
  waybill_id_.read_raw(waybill_id_raw_);
  return locate_header();
}

// A whole number or a Double is tested by value (NaN is not above zero), as
// the variant rules compare it with the Integer 0; every other value by those
// rules.
bool WaybillLines::price_above_zero(const RegionalSettings& settings) {
  const PxVariant& price = price_raw_.get();
  switch (price.vt) {
    case PX_VT_I2:
      return price.value.i2 > 0;
    case PX_VT_I4:
      return price.value.i4 > 0;
    case PX_VT_I8:
      return price.value.i8 > 0;
    case PX_VT_R8:
      return price.value.r8 > 0;
    default:
      price_.to_variant(price_raw_, price_value_);
      return compare(price_value_, Variant::integer(0), settings) == Ordering::Greater;
  }
}

namespace {

// The key the library makes of a whole number the host returned: the same
// tag and value, every other byte zero. False for any other tag.
bool whole_number_key(const PxVariant& value, PxVariant& key) {
  key = PxVariant{};
  key.vt = value.vt;
  switch (value.vt) {
    case PX_VT_I2:
      key.value.i2 = value.value.i2;
      return true;
    case PX_VT_I4:
      key.value.i4 = value.value.i4;
      return true;
    case PX_VT_I8:
      key.value.i8 = value.value.i8;
      return true;
    default:
      return false;
  }
}

// Two keys whole_number_key made: the same tag and value.
bool same_key(const PxVariant& a, const PxVariant& b) {
  if (a.vt != b.vt) return false;
  switch (a.vt) {
    case PX_VT_I2:
      return a.value.i2 == b.value.i2;
    case PX_VT_I4:
      return a.value.i4 == b.value.i4;
    default:
      return a.value.i8 == b.value.i8;
  }
}

}  // namespace

// A whole number goes to the host in the form it came in; any other key is
// converted, then made again in the host's form.
bool WaybillLines::locate_header() {
  constexpr std::u16string_view kId = u"id";
  PxVariant key;
  const bool whole = whole_number_key(waybill_id_raw_.get(), key);
  if (whole && located_key_ && same_key(*located_key_, key)) return located_;
  // Forgotten first: a positioning that raises leaves no key behind.
  located_key_.reset();
  ++header_moves_;
  if (!whole) {
    waybill_id_.to_variant(waybill_id_raw_, waybill_id_value_);
    return headers_.locate(kId, waybill_id_value_);
  }
  located_ = headers_.locate(kId, key);
  located_key_ = key;
  return located_;
}

}  // namespace pharmex::exporting
