#include "core/abi_variant.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "core/abi_memory.h"
#include "core/error.h"

namespace pharmex {

namespace {

// OLE's type tags beyond the library's own, which OLE hosts hand over too.
enum : uint16_t {
  kR4 = 4,
  kVariant = 12,
  kDecimal = 14,
  kI1 = 16,
  kUI1 = 17,
  kUI2 = 18,
  kUI4 = 19,
  kUI8 = 21,
  kInt = 22,
  kUInt = 23,
  kByReference = 0x4000,
};

// The payload read as a T, whatever the union's members.
template <class T>
T payload(const PxVariant& value) {
  T result;
  std::memcpy(&result, &value.value, sizeof result);
  return result;
}

[[noreturn]] void refuse(uint16_t type) {
  char code[8];
  std::snprintf(code, sizeof code, "$%04X", static_cast<unsigned>(type));
  raise<VariantError>("Could not convert variant of type (%s) into type (%s)", {code, "Variant"});
}

// The bytes the value of a type takes in the payload, for the types read
// through a reference; 0 for the others.
size_t referenced_size(uint16_t type) {
  switch (type) {
    case kI1:
    case kUI1:
      return 1;
    case PX_VT_I2:
    case kUI2:
    case PX_VT_BOOL:
      return 2;
    case PX_VT_I4:
    case kUI4:
    case kInt:
    case kUInt:
    case kR4:
      return 4;
    case PX_VT_I8:
    case kUI8:
    case PX_VT_R8:
    case PX_VT_CY:
    case PX_VT_DATE:
      return 8;
    case PX_VT_BSTR:
    case PX_VT_ANSISTRING:
    case PX_VT_UNICODESTRING:
    case PX_VT_ARRAY_VARIANT:
      return sizeof(void*);
    default:
      return 0;
  }
}

// OLE's DECIMAL fills the whole variant: the tag's two bytes, the scale (a
// power of ten to divide by, 0..28), the sign (0x80 for negative), the high
// 32 bits of the 96-bit magnitude, then its low 64 bits.
Variant decimal(const PxVariant& value) {
  unsigned char bytes[16];
  std::memcpy(bytes, &value, sizeof bytes);
  const unsigned scale = bytes[2];
  const bool negative = (bytes[3] & 0x80) != 0;
  uint32_t high = 0;
  uint64_t low = 0;
  std::memcpy(&high, bytes + 4, sizeof high);
  std::memcpy(&low, bytes + 8, sizeof low);
  if (scale > 28) refuse(value.vt);
  // Amounts with up to four decimals stay exact as currency.
  if (high == 0 && scale <= 4) {
    uint64_t factor = 1;
    for (unsigned i = scale; i < 4; ++i)
      factor *= 10;
    if (low <= static_cast<uint64_t>(INT64_MAX) / factor) {
      auto units = static_cast<int64_t>(low * factor);
      return Variant::currency_units(negative ? -units : units);
    }
  }
  double magnitude =
      (static_cast<double>(high) * 18446744073709551616.0 + static_cast<double>(low)) /
      std::pow(10.0, scale);
  return Variant::real(negative ? -magnitude : magnitude);
}

// What a reference (VT_BYREF) points to, read as that value.
Variant referenced(const PxVariant& value, AnsiText ansi_text) {
  const auto type = static_cast<uint16_t>(value.vt & ~kByReference);
  const auto* target = payload<const unsigned char*>(value);
  if (target == nullptr) refuse(value.vt);
  if (type == kVariant) {
    const auto& inner = *reinterpret_cast<const PxVariant*>(target);
    if ((inner.vt & kByReference) != 0) refuse(value.vt);  // OLE refers to no reference
    return from_abi(inner, ansi_text);
  }
  PxVariant copy;  // borrows what the reference points to: never cleared
  std::memset(&copy, 0, sizeof copy);
  if (type == kDecimal) {
    std::memcpy(&copy, target, 16);
  } else if (size_t size = referenced_size(type); size > 0) {
    std::memcpy(&copy.value, target, size);
  } else {
    refuse(value.vt);
  }
  copy.vt = type;
  return from_abi(copy, ansi_text);
}

template <class Unit>
size_t zero_terminated_length(const Unit* text) {
  size_t length = 0;
  while (text[length] != 0)
    ++length;
  return length;
}

}  // namespace

PxString make_abi_string(std::u16string_view text) {
  PxString result = abi::string_alloc(reinterpret_cast<const PxChar16*>(text.data()),
                                      static_cast<uint32_t>(text.size()));
  if (result == nullptr) throw std::bad_alloc();
  return result;
}

void from_abi_into(Variant& out, const PxVariant& value, AnsiText ansi_text) {
  using Kind = Variant::Kind;
  // The usual tags set `out` in place; the rest are made and moved in.
  switch (value.vt) {
    case PX_VT_BSTR:
      break;
    case PX_VT_EMPTY:
      return out.assign_scalar(Kind::Empty, 0, 0);
    case PX_VT_NULL:
      return out.assign_scalar(Kind::Null, 0, 0);
    case PX_VT_I2:
      return out.assign_scalar(Kind::SmallInt, value.value.i2, 0);
    case PX_VT_I4:
      return out.assign_scalar(Kind::Integer, value.value.i4, 0);
    case PX_VT_I8:
      return out.assign_scalar(Kind::Int64, value.value.i8, 0);
    case PX_VT_R8:
      return out.assign_scalar(Kind::Double, 0, value.value.r8);
    case PX_VT_CY:
      return out.assign_scalar(Kind::Currency, value.value.cy, 0);
    case PX_VT_DATE:
      return out.assign_scalar(Kind::Date, 0, value.value.date);
    default:
      out = from_abi(value, ansi_text);
      return;
  }
  out.assign_string(abi::string_text(value.value.bstr));
}

Variant from_abi(const PxVariant& value, AnsiText ansi_text) {
  if ((value.vt & kByReference) != 0) return referenced(value, ansi_text);
  switch (value.vt) {
    case PX_VT_EMPTY:
      return Variant();
    case PX_VT_NULL:
      return Variant::null();
    case PX_VT_I2:
      return Variant::small_int(value.value.i2);
    case PX_VT_I4:
      return Variant::integer(value.value.i4);
    case PX_VT_I8:
      return Variant::int64(value.value.i8);
    case PX_VT_R8:
      return Variant::real(value.value.r8);
    case PX_VT_CY:
      return Variant::currency_units(value.value.cy);
    case PX_VT_DATE:
      return Variant::date(value.value.date);
    case PX_VT_BOOL:
      return Variant::boolean(value.value.boolean != 0);
    case PX_VT_BSTR:
      return Variant::string(std::u16string(abi::string_text(value.value.bstr)));
    case PX_VT_ARRAY_VARIANT: {
      std::vector<Variant> items;
      uint32_t count = abi::array_count(value.value.array);
      items.reserve(count);
      for (uint32_t i = 0; i < count; ++i) {
        items.push_back(from_abi(*abi::array_item(value.value.array, i), ansi_text));
      }
      return Variant::array(std::move(items));
    }
    case kI1:
      return Variant::integer(payload<int8_t>(value));
    case kUI1:
      return Variant::integer(payload<uint8_t>(value));
    case kUI2:
      return Variant::integer(payload<uint16_t>(value));
    case kInt:
      return Variant::integer(payload<int32_t>(value));
    case kUI4:
    case kUInt:
      return Variant::int64(payload<uint32_t>(value));
    case kUI8: {
      auto whole = payload<uint64_t>(value);
      if (whole <= static_cast<uint64_t>(INT64_MAX))
        return Variant::int64(static_cast<int64_t>(whole));
      return Variant::real(static_cast<double>(whole));
    }
    case kR4:
      return Variant::real(payload<float>(value));
    case kDecimal:
      return decimal(value);
    case PX_VT_ANSISTRING: {
      const auto* text = payload<const char*>(value);
      return Variant::string(text == nullptr ? std::u16string() : ansi_text(text));
    }
    case PX_VT_UNICODESTRING: {
      const auto* text = payload<const char16_t*>(value);
      if (text == nullptr) return Variant::string({});
      return Variant::string(std::u16string(text, zero_terminated_length(text)));
    }
    default:
      refuse(value.vt);
  }
}

AbiVariant::AbiVariant(const Variant& value) {
  abi::variant_init(&value_);
  using Kind = Variant::Kind;
  switch (value.kind()) {
    case Kind::Empty:
      break;
    case Kind::Null:
      value_.vt = PX_VT_NULL;
      break;
    case Kind::SmallInt:
      value_.vt = PX_VT_I2;
      value_.value.i2 = static_cast<int16_t>(value.whole_value());
      break;
    case Kind::Integer:
      value_.vt = PX_VT_I4;
      value_.value.i4 = static_cast<int32_t>(value.whole_value());
      break;
    case Kind::Int64:
      value_.vt = PX_VT_I8;
      value_.value.i8 = value.whole_value();
      break;
    case Kind::Double:
      value_.vt = PX_VT_R8;
      value_.value.r8 = value.double_value();
      break;
    case Kind::Currency:
      value_.vt = PX_VT_CY;
      value_.value.cy = value.whole_value();
      break;
    case Kind::Date:
      value_.vt = PX_VT_DATE;
      value_.value.date = value.double_value();
      break;
    case Kind::Boolean:
      value_.vt = PX_VT_BOOL;
      value_.value.boolean = value.boolean_value() ? -1 : 0;
      break;
    case Kind::String:
      value_.value.bstr = make_abi_string(value.string_value());
      value_.vt = PX_VT_BSTR;
      break;
    case Kind::Array: {
      const auto& items = value.array_value();
      PxVariantArray* array = abi::array_create(static_cast<uint32_t>(items.size()));
      if (array == nullptr) throw std::bad_alloc();
      value_.vt = PX_VT_ARRAY_VARIANT;
      value_.value.array = array;  // owned from here, so a failure below frees it
      for (size_t i = 0; i < items.size(); ++i) {
        AbiVariant item(items[i]);
        *abi::array_item(array, static_cast<uint32_t>(i)) = item.release();
      }
      break;
    }
  }
}

AbiVariant& AbiVariant::operator=(AbiVariant&& other) noexcept {
  if (this != &other) {
    clear();
    value_ = other.value_;
    abi::variant_init(&other.value_);
  }
  return *this;
}

}  // namespace pharmex
