// The variant ABI's memory on Windows: the system's OLE automation
// (oleaut32). A PxVariant is a VARIANT, a PxString a BSTR and a
// PxVariantArray a one-dimensional SAFEARRAY of VARIANT, so a host's own
// variants cross unchanged and whatever one side allocates the other frees
// with the system's functions.
// <ole2.h> brings <windows.h> and the automation functions (<oleauto.h>).
#include <ole2.h>

#include <cstddef>
#include <cstring>

#include "core/abi_memory.h"

static_assert(sizeof(PxVariant) == sizeof(VARIANT), "PxVariant is the system's VARIANT");
static_assert(offsetof(PxVariant, value) == offsetof(VARIANT, llVal));
static_assert(sizeof(PxChar16) == sizeof(OLECHAR));
static_assert(int{PX_VT_ARRAY_VARIANT} == int{VT_ARRAY | VT_VARIANT});
static_assert(int{PX_VT_BSTR} == int{VT_BSTR} && int{PX_VT_I8} == int{VT_I8} &&
              int{PX_VT_BOOL} == int{VT_BOOL} && int{PX_VT_CY} == int{VT_CY});

namespace pharmex::abi {

namespace {

VARIANT* ole(PxVariant* value) {
  return reinterpret_cast<VARIANT*>(value);
}
// The system's functions take their source variants without const.
VARIANT* ole(const PxVariant* value) {
  return reinterpret_cast<VARIANT*>(const_cast<PxVariant*>(value));
}
SAFEARRAY* ole(PxVariantArray* array) {
  return reinterpret_cast<SAFEARRAY*>(array);
}
const SAFEARRAY* ole(const PxVariantArray* array) {
  return reinterpret_cast<const SAFEARRAY*>(array);
}

// A one-dimensional array of VARIANTs, the only kind the library reads.
bool is_variant_vector(const SAFEARRAY* array) {
  return array != nullptr && array->cDims == 1 && array->cbElements == sizeof(VARIANT) &&
         (array->fFeatures & FADF_VARIANT) != 0;
}

// A Pascal host's own strings (varString, varUString): not the system's, so
// OLE automation neither frees nor copies them; they stay the host's.
bool is_pascal_string(const PxVariant* value) {
  return value->vt == PX_VT_ANSISTRING || value->vt == PX_VT_UNICODESTRING;
}

}  // namespace

PxString string_alloc(const PxChar16* text, uint32_t length) noexcept {
  if (length > (UINT32_MAX - sizeof(uint32_t) - 2) / 2) return nullptr;
  BSTR string = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(text), length);
  if (string != nullptr && text == nullptr) std::memset(string, 0, length * sizeof(OLECHAR));
  return reinterpret_cast<PxString>(string);
}

void string_free(PxString text) noexcept {
  ::SysFreeString(reinterpret_cast<BSTR>(text));
}

uint32_t string_length(const PxChar16* text) noexcept {
  return ::SysStringLen(reinterpret_cast<BSTR>(const_cast<PxChar16*>(text)));
}

void variant_init(PxVariant* value) noexcept {
  if (value == nullptr) return;
  std::memset(value, 0, sizeof *value);
  ::VariantInit(ole(value));
}

void variant_clear(PxVariant* value) noexcept {
  if (value == nullptr) return;
  if (!is_pascal_string(value)) ::VariantClear(ole(value));
  variant_init(value);
}

PxVariantArray* array_create(uint32_t count) noexcept {
  if (count > static_cast<uint32_t>(INT32_MAX)) return nullptr;
  // The elements start as VT_EMPTY: the system zeroes a new array.
  return reinterpret_cast<PxVariantArray*>(::SafeArrayCreateVector(VT_VARIANT, 0, count));
}

uint32_t array_count(const PxVariantArray* array) noexcept {
  const SAFEARRAY* safe = ole(array);
  return is_variant_vector(safe) ? safe->rgsabound[0].cElements : 0;
}

PxVariant* array_item(PxVariantArray* array, uint32_t index) noexcept {
  SAFEARRAY* safe = ole(array);
  if (!is_variant_vector(safe) || index >= safe->rgsabound[0].cElements) return nullptr;
  // Items are counted from the first, whatever the array's lower bound.
  return reinterpret_cast<PxVariant*>(static_cast<VARIANT*>(safe->pvData) + index);
}

int32_t variant_copy(PxVariant* target, const PxVariant* source) noexcept {
  if (target == nullptr) return -1;
  variant_clear(target);
  if (source == nullptr) return 0;
  if (is_pascal_string(source)) {
    *target = *source;  // both refer to the host's string, which neither frees
    return 0;
  }
  if (FAILED(::VariantCopy(ole(target), ole(source)))) {
    variant_init(target);
    return -1;
  }
  return 0;
}

}  // namespace pharmex::abi
