// Copies a host value into a table field as the host returned it, with no
// Variant in between, for the tags hosts hand over most: a BSTR, a whole
// number, a Double, a Date, a Boolean and null. Exports copy a value per
// column per row, hundreds of thousands of rows, and a string would
// otherwise be copied twice (into the Variant, then into the record). The
// field converts each exactly as it converts the Variant read_host_variant
// makes of it.
#pragma once

#include <optional>

#include "core/abi_memory.h"
#include "dbf/dbf_field.h"
#include "pharmex/variant.h"

namespace pharmex::exporting {

// True for the tags copy_host_value copies. They are also the ones whose
// value stays readable after further host calls: a BSTR is the library's to
// free, the rest are in the variant itself. A Pascal host's own strings are
// the host's and are converted at once.
constexpr bool copies_directly(const PxVariant& value) {
  switch (value.vt) {
    case PX_VT_BSTR:
    case PX_VT_I2:
    case PX_VT_I4:
    case PX_VT_I8:
    case PX_VT_R8:
    case PX_VT_DATE:
    case PX_VT_BOOL:
    case PX_VT_NULL:
      return true;
    default:
      return false;
  }
}

// Assigns `value` to `field` and returns true; returns false, having done
// nothing, for any other tag (the caller converts those to a Variant).
// Inlined into the row loops that call it for every field of every record:
// as a function of its own, its prologue and epilogue cost as much as its
// switch.
[[gnu::always_inline]] inline bool copy_host_value(const PxVariant& value, dbf::TDbfField& field) {
  switch (value.vt) {
    case PX_VT_BSTR:
      field.SetText(abi::string_text(value.value.bstr));
      return true;
    case PX_VT_I2:
      field.SetInteger(value.value.i2);
      return true;
    case PX_VT_I4:
      field.SetInteger(value.value.i4);
      return true;
    case PX_VT_I8:
      field.SetInteger(value.value.i8);
      return true;
    case PX_VT_R8:
      field.SetReal(value.value.r8);
      return true;
    case PX_VT_DATE:
      field.SetDate(value.value.date);
      return true;
    case PX_VT_BOOL:
      field.SetBoolean(value.value.boolean != 0);
      return true;
    case PX_VT_NULL:
      field.Clear();
      return true;
    default:
      return false;
  }
}

// A host value that is a number, for amounts computed without a Variant: a
// Double, or a whole number as a double (as the variant rules convert it).
struct HostNumber {
  double value;
  // A SmallInt, Integer or Int64: the variant rules multiply two of them as
  // whole numbers, and a Double with either as doubles.
  bool whole;
};

constexpr std::optional<HostNumber> host_number(const PxVariant& value) {
  switch (value.vt) {
    case PX_VT_R8:
      return HostNumber{value.value.r8, false};
    case PX_VT_I2:
      return HostNumber{static_cast<double>(value.value.i2), true};
    case PX_VT_I4:
      return HostNumber{static_cast<double>(value.value.i4), true};
    case PX_VT_I8:
      return HostNumber{static_cast<double>(value.value.i8), true};
    default:
      return std::nullopt;
  }
}

}  // namespace pharmex::exporting
