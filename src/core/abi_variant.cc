#include "core/abi_variant.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "core/error.h"

// Strings carry a 4-byte byte count before their first code unit and a zero
// code unit after the last, as OLE's BSTR does. Arrays are a count followed by
// the elements.
struct PxVariantArray {
  uint32_t count;
  PxVariant* items;
};

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);

uint32_t* string_header(const PxChar16* text) {
  return reinterpret_cast<uint32_t*>(
      const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(text) - kPrefix));
}

}  // namespace

PX_EXTERN_C PX_API PxString PX_STDCALL pharmex_string_alloc(const PxChar16* text,
                                                            uint32_t length) noexcept {
  if (length > (UINT32_MAX - kPrefix - 2) / 2) return nullptr;
  size_t bytes = static_cast<size_t>(length) * 2;
  auto* block = static_cast<unsigned char*>(std::malloc(kPrefix + bytes + 2));
  if (block == nullptr) return nullptr;
  uint32_t byte_count = static_cast<uint32_t>(bytes);
  std::memcpy(block, &byte_count, kPrefix);
  auto* units = reinterpret_cast<PxChar16*>(block + kPrefix);
  if (bytes > 0 && text != nullptr) std::memcpy(units, text, bytes);
  if (text == nullptr && bytes > 0) std::memset(units, 0, bytes);
  units[length] = 0;
  return units;
}

PX_EXTERN_C PX_API void PX_STDCALL pharmex_string_free(PxString text) noexcept {
  if (text != nullptr) std::free(string_header(text));
}

PX_EXTERN_C PX_API uint32_t PX_STDCALL pharmex_string_length(const PxChar16* text) noexcept {
  if (text == nullptr) return 0;
  uint32_t bytes = 0;
  std::memcpy(&bytes, string_header(text), kPrefix);
  return bytes / 2;
}

PX_EXTERN_C PX_API void PX_STDCALL pharmex_variant_init(PxVariant* value) noexcept {
  if (value == nullptr) return;
  std::memset(value, 0, sizeof *value);
  value->vt = PX_VT_EMPTY;
}

PX_EXTERN_C PX_API void PX_STDCALL pharmex_variant_clear(PxVariant* value) noexcept {
  if (value == nullptr) return;
  if (value->vt == PX_VT_BSTR) {
    pharmex_string_free(value->value.bstr);
  } else if (value->vt == PX_VT_ARRAY_VARIANT && value->value.array != nullptr) {
    PxVariantArray* array = value->value.array;
    for (uint32_t i = 0; i < array->count; ++i)
      pharmex_variant_clear(&array->items[i]);
    std::free(array->items);
    std::free(array);
  }
  pharmex_variant_init(value);
}

PX_EXTERN_C PX_API PxVariantArray* PX_STDCALL pharmex_array_create(uint32_t count) noexcept {
  auto* array = static_cast<PxVariantArray*>(std::malloc(sizeof(PxVariantArray)));
  if (array == nullptr) return nullptr;
  array->count = count;
  array->items = static_cast<PxVariant*>(std::calloc(count == 0 ? 1 : count, sizeof(PxVariant)));
  if (array->items == nullptr) {
    std::free(array);
    return nullptr;
  }
  for (uint32_t i = 0; i < count; ++i)
    pharmex_variant_init(&array->items[i]);
  return array;
}

PX_EXTERN_C PX_API uint32_t PX_STDCALL pharmex_array_count(const PxVariantArray* array) noexcept {
  return array == nullptr ? 0 : array->count;
}

PX_EXTERN_C PX_API PxVariant* PX_STDCALL pharmex_array_item(PxVariantArray* array,
                                                            uint32_t index) noexcept {
  if (array == nullptr || index >= array->count) return nullptr;
  return &array->items[index];
}

PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_variant_copy(PxVariant* target,
                                                           const PxVariant* source) noexcept {
  if (target == nullptr) return -1;
  pharmex_variant_clear(target);
  if (source == nullptr) return 0;
  if (source->vt == PX_VT_BSTR) {
    PxString copy =
        pharmex_string_alloc(source->value.bstr, pharmex_string_length(source->value.bstr));
    if (copy == nullptr) return -1;
    *target = *source;
    target->value.bstr = copy;
    return 0;
  }
  if (source->vt == PX_VT_ARRAY_VARIANT) {
    uint32_t count = pharmex_array_count(source->value.array);
    PxVariantArray* copy = pharmex_array_create(count);
    if (copy == nullptr) return -1;
    for (uint32_t i = 0; i < count; ++i) {
      if (pharmex_variant_copy(&copy->items[i], &source->value.array->items[i]) != 0) {
        PxVariant holder;
        pharmex_variant_init(&holder);
        holder.vt = PX_VT_ARRAY_VARIANT;
        holder.value.array = copy;
        pharmex_variant_clear(&holder);
        return -1;
      }
    }
    *target = *source;
    target->value.array = copy;
    return 0;
  }
  *target = *source;
  return 0;
}

namespace pharmex {

PxString make_abi_string(std::u16string_view text) {
  PxString result = pharmex_string_alloc(reinterpret_cast<const PxChar16*>(text.data()),
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
          std::u16string(reinterpret_cast<const char16_t*>(text), pharmex_string_length(text)));
    }
    case PX_VT_ARRAY_VARIANT: {
      std::vector<Variant> items;
      uint32_t count = pharmex_array_count(value.value.array);
      items.reserve(count);
      for (uint32_t i = 0; i < count; ++i) {
        items.push_back(from_abi(*pharmex_array_item(value.value.array, i)));
      }
      return Variant::array(std::move(items));
    }
    default:
      raise<VariantError>("Could not convert variant of type (%s) into type (%s)",
                          {"Unknown", "Variant"});
  }
}

AbiVariant::AbiVariant(const Variant& value) {
  pharmex_variant_init(&value_);
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
      PxVariantArray* array = pharmex_array_create(static_cast<uint32_t>(items.size()));
      if (array == nullptr) throw std::bad_alloc();
      value_.vt = PX_VT_ARRAY_VARIANT;
      value_.value.array = array;  // owned from here, so a failure below frees it
      for (size_t i = 0; i < items.size(); ++i) {
        AbiVariant item(items[i]);
        array->items[i] = item.release();
      }
      break;
    }
  }
}

AbiVariant& AbiVariant::operator=(AbiVariant&& other) noexcept {
  if (this != &other) {
    pharmex_variant_clear(&value_);
    value_ = other.value_;
    pharmex_variant_init(&other.value_);
  }
  return *this;
}

}  // namespace pharmex
