// The memory behind the host's variants (pharmex/variant.h): strings and
// arrays of variants that the library allocates and frees, whichever side
// made them. The exported pharmex_string_*, pharmex_variant_* and
// pharmex_array_* functions are these, seen from C; the library's own code
// calls these directly.
//
// Strings carry a 4-byte byte count before their first code unit and a zero
// code unit after the last, as OLE's BSTR does. Arrays are a count followed
// by the elements. None of these functions throws; an allocation that fails
// gives null (or -1).
#pragma once

#include <cstdint>

#include "pharmex/variant.h"

namespace pharmex::abi {

// A string of `length` code units copied from `text` (null when length is 0
// is allowed; a null text with a length gives that many zero units).
PxString string_alloc(const PxChar16* text, uint32_t length) noexcept;
void string_free(PxString text) noexcept;
uint32_t string_length(const PxChar16* text) noexcept;

void variant_init(PxVariant* value) noexcept;
void variant_clear(PxVariant* value) noexcept;
// 0, or -1 when memory is exhausted (target is then empty).
int32_t variant_copy(PxVariant* target, const PxVariant* source) noexcept;

PxVariantArray* array_create(uint32_t count) noexcept;
uint32_t array_count(const PxVariantArray* array) noexcept;
PxVariant* array_item(PxVariantArray* array, uint32_t index) noexcept;

}  // namespace pharmex::abi
