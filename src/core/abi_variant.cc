#include "core/abi_variant.h"

#include <new>

#include "core/abi_memory.h"
#include "core/error.h"

namespace pharmex {

PxString make_abi_string(std::u16string_view text) {
  PxString result = abi::string_alloc(reinterpret_cast<const PxChar16*>(text.data()),
                                      static_cast<uint32_t>(text.size()));
  if (result == nullptr) throw std::bad_alloc();
  return result;
}

Variant from_abi(const PxVariant& value) {
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
    case PX_VT_BSTR: {
      const PxChar16* text = value.value.bstr;
      if (text == nullptr) return Variant::string({});
      return Variant::string(
          std::u16string(reinterpret_cast<const char16_t*>(text), abi::string_length(text)));
    }
    case PX_VT_ARRAY_VARIANT: {
      std::vector<Variant> items;
      uint32_t count = abi::array_count(value.value.array);
      items.reserve(count);
      for (uint32_t i = 0; i < count; ++i) {
        items.push_back(from_abi(*abi::array_item(value.value.array, i)));
      }
      return Variant::array(std::move(items));
    }
    default: {
      AbiVariant normal;
      if (abi::variant_normalize(normal.out(), &value)) return from_abi(normal.get());
      raise<VariantError>("Could not convert variant of type (%s) into type (%s)",
                          {"Unknown", "Variant"});
    }
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
    abi::variant_clear(&value_);
    value_ = other.value_;
    abi::variant_init(&other.value_);
  }
  return *this;
}

}  // namespace pharmex
