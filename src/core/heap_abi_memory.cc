// The variant ABI's memory where the system has no OLE automation: strings
// and arrays on the library's own heap, in the layout OLE gives them; the
// blocks of freed strings are kept for the next ones, as OLE keeps them
// (core/string_block_cache.h). Windows builds use the system's instead
// (win32_abi_memory.cc).
#include <cstdlib>
#include <cstring>

#include "core/abi_memory.h"
#include "core/string_block_cache.h"

struct PxVariantArray {
  uint32_t count;
  PxVariant* items;
};

namespace pharmex::abi {

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);

// A string's block: its byte count, its units and the zero unit.
constexpr size_t block_size(size_t bytes) {
  return kPrefix + bytes + 2;
}

uint32_t* string_header(const PxChar16* text) {
  return reinterpret_cast<uint32_t*>(
      const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(text) - kPrefix));
}

}  // namespace

PxString string_alloc(const PxChar16* text, uint32_t length) noexcept {
  if (length > (UINT32_MAX - kPrefix - 2) / 2) return nullptr;
  size_t bytes = static_cast<size_t>(length) * 2;
  auto* block = static_cast<unsigned char*>(string_block_cache().take(block_size(bytes)));
  if (block == nullptr) return nullptr;
  uint32_t byte_count = static_cast<uint32_t>(bytes);
  std::memcpy(block, &byte_count, kPrefix);
  auto* units = reinterpret_cast<PxChar16*>(block + kPrefix);
  if (bytes > 0 && text != nullptr) std::memcpy(units, text, bytes);
  if (text == nullptr && bytes > 0) std::memset(units, 0, bytes);
  units[length] = 0;
  return units;
}

void string_free(PxString text) noexcept {
  if (text == nullptr) return;
  const size_t bytes = size_t{string_length(text)} * 2;
  string_block_cache().give(string_header(text), block_size(bytes));
}

uint32_t string_length(const PxChar16* text) noexcept {
  if (text == nullptr) return 0;
  uint32_t bytes = 0;
  std::memcpy(&bytes, string_header(text), kPrefix);
  return bytes / 2;
}

void variant_init(PxVariant* value) noexcept {
  if (value == nullptr) return;
  std::memset(value, 0, sizeof *value);
  value->vt = PX_VT_EMPTY;
}

// Only strings and arrays are owned; every other tag (numbers, references,
// a Pascal host's own strings) points at nothing the library may free.
void variant_clear(PxVariant* value) noexcept {
  if (value == nullptr) return;
  if (value->vt == PX_VT_BSTR) {
    string_free(value->value.bstr);
  } else if (value->vt == PX_VT_ARRAY_VARIANT && value->value.array != nullptr) {
    PxVariantArray* array = value->value.array;
    for (uint32_t i = 0; i < array->count; ++i)
      variant_clear(&array->items[i]);
    std::free(array->items);
    std::free(array);
  }
  variant_init(value);
}

PxVariantArray* array_create(uint32_t count) noexcept {
  auto* array = static_cast<PxVariantArray*>(std::malloc(sizeof(PxVariantArray)));
  if (array == nullptr) return nullptr;
  array->count = count;
  array->items = static_cast<PxVariant*>(std::calloc(count == 0 ? 1 : count, sizeof(PxVariant)));
  if (array->items == nullptr) {
    std::free(array);
    return nullptr;
  }
  for (uint32_t i = 0; i < count; ++i)
    variant_init(&array->items[i]);
  return array;
}

uint32_t array_count(const PxVariantArray* array) noexcept {
  return array == nullptr ? 0 : array->count;
}

PxVariant* array_item(PxVariantArray* array, uint32_t index) noexcept {
  if (array == nullptr || index >= array->count) return nullptr;
  return &array->items[index];
}

int32_t variant_copy(PxVariant* target, const PxVariant* source) noexcept {
  if (target == nullptr) return -1;
  variant_clear(target);
  if (source == nullptr) return 0;
  if (source->vt == PX_VT_BSTR) {
    PxString copy = string_alloc(source->value.bstr, string_length(source->value.bstr));
    if (copy == nullptr) return -1;
    *target = *source;
    target->value.bstr = copy;
    return 0;
  }
  if (source->vt == PX_VT_ARRAY_VARIANT) {
    uint32_t count = array_count(source->value.array);
    PxVariantArray* copy = array_create(count);
    if (copy == nullptr) return -1;
    for (uint32_t i = 0; i < count; ++i) {
      if (variant_copy(&copy->items[i], &source->value.array->items[i]) != 0) {
        PxVariant holder;
        variant_init(&holder);
        holder.vt = PX_VT_ARRAY_VARIANT;
        holder.value.array = copy;
        variant_clear(&holder);
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

}  // namespace pharmex::abi
