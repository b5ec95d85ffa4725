/* pharmex: the variant in which host and library exchange values.
 *
 * The layout is that of the platform's OLE variant, so a Windows host can pass
 * its own VARIANTs unchanged:
 *
 *   offset 0  2 bytes  type tag (PX_VT_*)
 *   offset 2  6 bytes  reserved, zero
 *   offset 8  8 bytes  payload (16 on 64-bit Windows, whose VARIANT is 24
 *                      bytes long: it also holds a record's two pointers)
 *
 * Payloads by tag:
 *   PX_VT_EMPTY, PX_VT_NULL   none
 *   PX_VT_I2                  int16_t
 *   PX_VT_I4                  int32_t
 *   PX_VT_I8                  int64_t
 *   PX_VT_R8                  double
 *   PX_VT_CY                  int64_t, the amount times 10000
 *   PX_VT_DATE                double, days since 1899-12-30 (fraction: time of day)
 *   PX_VT_BSTR                PxString (UTF-16, see below)
 *   PX_VT_BOOL                int16_t, 0 for false and -1 for true
 *   PX_VT_ARRAY_VARIANT       PxVariantArray* (one-dimensional array of variants)
 *
 * Read, never made, and never freed by the library (their memory is the
 * host's language runtime's, which the library cannot reach):
 *   PX_VT_ANSISTRING          a Pascal host's AnsiString (varString): 8-bit
 *                             text in the ANSI code page, up to its first zero byte
 *   PX_VT_UNICODESTRING       a Pascal host's UnicodeString (varUString):
 *                             UTF-16, up to its first zero unit
 * A host that hands these over keeps them alive during the call and frees
 * them itself; a Pascal host avoids both by handing OleVariants, whose
 * strings are BSTRs (the pharmex unit, bindings/pascal, does).
 *
 * On Windows these are the system's own: a PxString is a BSTR, a
 * PxVariantArray a SAFEARRAY of VARIANT, and the functions below are those of
 * OLE automation (oleaut32: SysAllocStringLen, VariantClear, ...). A Windows
 * host may therefore use its own OLE variants (an OleVariant, a _variant_t,
 * C with oleaut32) and free what the library hands it with VariantClear.
 * On every platform an OLE host's other numeric types (VT_I1, VT_UI1,
 * VT_UI2, VT_UI4, VT_UI8, VT_INT, VT_UINT, VT_R4, VT_DECIMAL) are read as the
 * nearest type above, and references (VT_BYREF) as what they point to. A
 * type the library cannot read is refused with a message naming the column
 * and the type's code ("... variant of type ($0009) ...").
 *
 * Ownership. Strings and arrays live on one allocator, the system's on
 * Windows and the library's elsewhere: create them only with
 * pharmex_string_alloc / pharmex_array_create (or the system's functions on
 * Windows) and free them only with pharmex_string_free /
 * pharmex_variant_clear (or theirs), so host and library never free each
 * other's memory with a foreign allocator.
 *   - A variant returned through a result address (IField.Value) belongs to the
 *     caller, who releases it with pharmex_variant_clear.
 *   - A variant passed by value (IField.SetValue) or by address (IDataSet.Locate)
 *     stays the caller's; the callee copies what it wants to keep.
 *
 * All functions here are safe to call from any thread and never throw.
 */
#ifndef PHARMEX_VARIANT_H
#define PHARMEX_VARIANT_H

#include <stddef.h>
#include <stdint.h>

#include "pharmex/abi.h"

/* Type tags, with the values of OLE's VARTYPE. */
enum {
  PX_VT_EMPTY = 0,
  PX_VT_NULL = 1,
  PX_VT_I2 = 2,
  PX_VT_I4 = 3,
  PX_VT_R8 = 5,
  PX_VT_CY = 6,
  PX_VT_DATE = 7,
  PX_VT_BSTR = 8,
  PX_VT_BOOL = 11,
  PX_VT_I8 = 20,
  PX_VT_ANSISTRING = 0x0100,
  PX_VT_UNICODESTRING = 0x0102,
  PX_VT_ARRAY_VARIANT = 0x200C
};

/* A length-prefixed UTF-16 string: the pointer addresses the first code unit;
 * the 4 bytes before it hold the length in bytes, and a zero code unit follows
 * the last one. A null PxString is an empty string. */
typedef PxChar16* PxString;

typedef struct PxVariantArray PxVariantArray;

typedef struct PxVariant {
  uint16_t vt;
  uint16_t reserved1;
  uint16_t reserved2;
  uint16_t reserved3;
  union {
    int16_t i2;
    int32_t i4;
    int64_t i8;
    double r8;
    int64_t cy;
    double date;
    int16_t boolean;
    PxString bstr;
    PxVariantArray* array;
#if defined(_WIN64)
    void* record[2]; /* never used: gives the union the width of 64-bit Windows' */
#endif
  } value;
} PxVariant;

/* The size of the platform's OLE VARIANT. */
#if defined(_WIN64)
#define PX_VARIANT_SIZE 24
#else
#define PX_VARIANT_SIZE 16
#endif

#ifdef __cplusplus
static_assert(sizeof(PxVariant) == PX_VARIANT_SIZE, "PxVariant must keep the OLE variant's size");
#endif

/* Allocates a string holding `length` code units copied from `text` (which may
 * be null when length is 0). Returns null only when memory is exhausted. */
PX_EXTERN_C PX_API PxString PX_STDCALL pharmex_string_alloc(const PxChar16* text,
                                                            uint32_t length) PX_NOEXCEPT;

/* Frees a string from pharmex_string_alloc; a null string is ignored. */
PX_EXTERN_C PX_API void PX_STDCALL pharmex_string_free(PxString text) PX_NOEXCEPT;

/* Number of code units of a string; 0 for a null string. */
PX_EXTERN_C PX_API uint32_t PX_STDCALL pharmex_string_length(const PxChar16* text) PX_NOEXCEPT;

/* Sets a variant to PX_VT_EMPTY without looking at its previous contents. */
PX_EXTERN_C PX_API void PX_STDCALL pharmex_variant_init(PxVariant* value) PX_NOEXCEPT;

/* Frees what a variant owns (string, array and the array's elements) and sets
 * it to PX_VT_EMPTY. */
PX_EXTERN_C PX_API void PX_STDCALL pharmex_variant_clear(PxVariant* value) PX_NOEXCEPT;

/* Makes `target` (cleared first) a deep copy of `source`. Returns 0 on success,
 * -1 when memory is exhausted (target is then empty). */
PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_variant_copy(PxVariant* target,
                                                           const PxVariant* source) PX_NOEXCEPT;

/* Creates an array of `count` empty variants; null when memory is exhausted.
 * Store it in a variant with tag PX_VT_ARRAY_VARIANT; clearing that variant
 * frees the array and every element. */
PX_EXTERN_C PX_API PxVariantArray* PX_STDCALL pharmex_array_create(uint32_t count) PX_NOEXCEPT;

/* Number of elements of an array; 0 for a null array. */
PX_EXTERN_C PX_API uint32_t PX_STDCALL pharmex_array_count(const PxVariantArray* array) PX_NOEXCEPT;

/* Address of element `index`, or null when the index is out of range. */
PX_EXTERN_C PX_API PxVariant* PX_STDCALL pharmex_array_item(PxVariantArray* array,
                                                            uint32_t index) PX_NOEXCEPT;

#endif /* PHARMEX_VARIANT_H */
