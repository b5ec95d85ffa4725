// The memory behind the host's variants (pharmex/variant.h): strings and
// arrays of variants that the library allocates and frees, whichever side
// made them. The exported pharmex_string_*, pharmex_variant_* and
// pharmex_array_* functions are these, seen from C (app/c_boundary.cc); the
// library's own code calls these directly.
//
// One backend per platform. Where the system has no OLE automation
// (heap_abi_memory.cc) they live on the library's heap in OLE's layout:
// strings carry a 4-byte byte count before their first code unit and a zero
// code unit after the last, as OLE's BSTR does, and arrays are a count
// followed by the elements. On Windows (win32_abi_memory.cc) they are the
// system's own: BSTRs and SAFEARRAYs of VARIANT made and freed by oleaut32,
// so that a host's OLE variants cross unchanged. None of these functions
// throws; an allocation that fails gives null (or -1).
#pragma once

#include <cstdint>
#include <string_view>

#include "pharmex/variant.h"

namespace pharmex::abi {

// A string of `length` code units copied from `text` (null when length is 0
// is allowed; a null text with a length gives that many zero units).
PxString string_alloc(const PxChar16* text, uint32_t length) noexcept;
void string_free(PxString text) noexcept;
uint32_t string_length(const PxChar16* text) noexcept;
// Its code units, read in place (a null string has none).
inline std::u16string_view string_text(const PxChar16* text) noexcept {
  if (text == nullptr) return {};
  return {reinterpret_cast<const char16_t*>(text), string_length(text)};
}

void variant_init(PxVariant* value) noexcept;
void variant_clear(PxVariant* value) noexcept;
// 0, or -1 when memory is exhausted (target is then empty).
int32_t variant_copy(PxVariant* target, const PxVariant* source) noexcept;

PxVariantArray* array_create(uint32_t count) noexcept;
uint32_t array_count(const PxVariantArray* array) noexcept;
PxVariant* array_item(PxVariantArray* array, uint32_t index) noexcept;

}  // namespace pharmex::abi
