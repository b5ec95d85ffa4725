/* How a C host makes and frees the values it hands the library: with the
 * system's OLE automation on Windows (SysAllocStringLen, VariantCopy,
 * VariantClear, SAFEARRAY access), as a host written against OLE variants
 * does, and with the library's own functions elsewhere. The library frees
 * what the host allocated, and the host what the library allocated, each
 * with these. */
#ifndef PHARMEX_TESTS_HOST_VALUES_H
#define PHARMEX_TESTS_HOST_VALUES_H

#include <stdint.h>

#include "pharmex/pharmex.h"

#ifdef _WIN32
#include <ole2.h>

static inline PxString host_string(const PxChar16* text, uint32_t length) {
  return (PxString)SysAllocStringLen((const OLECHAR*)text, length);
}
static inline uint32_t host_string_length(const PxChar16* text) {
  return SysStringLen((BSTR)text);
}
static inline void host_clear(PxVariant* value) {
  VariantClear((VARIANT*)value);
}
static inline int host_copy(PxVariant* target, const PxVariant* source) {
  VariantInit((VARIANT*)target);
  return VariantCopy((VARIANT*)target, (VARIANT*)source) == S_OK ? 0 : -1;
}
/* Element `index` (from the first) of a variant holding an array. */
static inline const PxVariant* host_array_item(const PxVariant* value, uint32_t index) {
  SAFEARRAY* array = ((const VARIANT*)value)->parray;
  LONG lower = 0;
  LONG upper = -1;
  void* item = NULL;
  if (array == NULL || SafeArrayGetDim(array) != 1) return NULL;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  if ((LONG)index > upper - lower) return NULL;
  lower += (LONG)index;
  if (SafeArrayPtrOfIndex(array, &lower, &item) != S_OK) return NULL;
  return (const PxVariant*)item;
}
static inline uint32_t host_array_count(const PxVariant* value) {
  SAFEARRAY* array = ((const VARIANT*)value)->parray;
  LONG lower = 0;
  LONG upper = -1;
  if (array == NULL || SafeArrayGetDim(array) != 1) return 0;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  return (uint32_t)(upper - lower + 1);
}
#else
static inline PxString host_string(const PxChar16* text, uint32_t length) {
  return pharmex_string_alloc(text, length);
}
static inline uint32_t host_string_length(const PxChar16* text) {
  return pharmex_string_length(text);
}
static inline void host_clear(PxVariant* value) {
  pharmex_variant_clear(value);
}
static inline int host_copy(PxVariant* target, const PxVariant* source) {
  pharmex_variant_init(target);
  return pharmex_variant_copy(target, source);
}
static inline const PxVariant* host_array_item(const PxVariant* value, uint32_t index) {
  return pharmex_array_item(value->value.array, index);
}
static inline uint32_t host_array_count(const PxVariant* value) {
  return pharmex_array_count(value->value.array);
}
#endif

#endif /* PHARMEX_TESTS_HOST_VALUES_H */
