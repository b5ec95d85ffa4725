// The variant ABI functions of pharmex/variant.h where the system has no OLE
// automation library: strings and arrays on the library's own heap, in the
// layout OLE gives them. Windows builds use the system's instead
// (win32_variant_abi.cc).
#include <cstdlib>
#include <cstring>

#include "core/abi_variant.h"
#include "pharmex/variant.h"

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

bool normalize_abi_variant(const PxVariant& /*value*/, AbiVariant& /*normal*/) {
  return false;
}

}  // namespace pharmex
