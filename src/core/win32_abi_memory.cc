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

// The library's type for an OLE type it does not read; VT_EMPTY when it has none.
VARTYPE nearest_type(const VARIANT& value) {
  switch (value.vt) {
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_INT:
      return VT_I4;
    case VT_UI4:
    case VT_UINT:
      return VT_I8;
    case VT_UI8:
      return value.ullVal <= static_cast<ULONGLONG>(INT64_MAX) ? VT_I8 : VT_R8;
    case VT_R4:
      return VT_R8;
    case VT_DECIMAL:
      // Amounts with up to four decimals stay exact as currency.
      return value.decVal.scale <= 4 ? VT_CY : VT_R8;
    default:
      return VT_EMPTY;
  }
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
  ::VariantClear(ole(value));
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
  if (FAILED(::VariantCopy(ole(target), ole(source)))) {
    variant_init(target);
    return -1;
  }
  return 0;
}

bool variant_normalize(PxVariant* target_variant, const PxVariant* source_variant) noexcept {
  VARIANT& source = *ole(source_variant);
  VARIANT* target = ole(target_variant);
  if ((source.vt & VT_BYREF) != 0) {
    if (FAILED(::VariantCopyInd(target, &source))) return false;
    if ((target->vt & VT_BYREF) != 0) return false;
    VARTYPE type = nearest_type(*target);
    if (type == VT_EMPTY) return true;  // read as it is, or refused as unknown there
    return SUCCEEDED(::VariantChangeTypeEx(target, target, LOCALE_INVARIANT, 0, type)) ||
           (type == VT_CY &&
            SUCCEEDED(::VariantChangeTypeEx(target, target, LOCALE_INVARIANT, 0, VT_R8)));
  }
  VARTYPE type = nearest_type(source);
  if (type == VT_EMPTY) return false;
  if (SUCCEEDED(::VariantChangeTypeEx(target, &source, LOCALE_INVARIANT, 0, type))) return true;
  // A decimal beyond the currency's range.
  return type == VT_CY &&
         SUCCEEDED(::VariantChangeTypeEx(target, &source, LOCALE_INVARIANT, 0, VT_R8));
}

}  // namespace pharmex::abi
