// Conversion between the library's Variant and the host's 16-byte PxVariant,
// and AbiVariant, an owning holder that clears a PxVariant when it goes away.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/abi_memory.h"
#include "core/variant.h"
#include "pharmex/variant.h"

namespace pharmex {

// How an 8-bit host string becomes text: the library's ANSI code page is the
// platform layer's (platform::TextCodec), which this layer does not see.
using AnsiText = std::u16string (*)(std::string_view bytes);

// Reads a host variant, taking over nothing (what it points to stays the
// host's, and the caller clears the variant as before):
//   - the library's own types (pharmex/variant.h);
//   - an OLE host's other types as the nearest of those, on every platform:
//     VT_I1, VT_UI1, VT_UI2 and VT_INT as Integer, VT_UI4 and VT_UINT as
//     Int64, VT_UI8 as Int64 (Double beyond its range), VT_R4 as Double,
//     VT_DECIMAL as Currency when it has at most four decimals and fits,
//     Double otherwise;
//   - a reference (VT_BYREF) as the value it points to;
//   - a Pascal host's own strings, which neither the library nor OLE can
//     free: an AnsiString (PX_VT_ANSISTRING, 8-bit, made text by
//     `ansi_text`) and a UnicodeString (PX_VT_UNICODESTRING, UTF-16), each
//     up to its first zero unit.
// Any other type throws VariantError "Could not convert variant of type
// ($0009) into type (Variant)", with the type's code in hexadecimal.
Variant from_abi(const PxVariant& value, AnsiText ansi_text);
// The same into `out`, whose text storage a string reuses (for readers that
// read value after value into one variant).
void from_abi_into(Variant& out, const PxVariant& value, AnsiText ansi_text);

// Owns one PxVariant and clears it on destruction (never throws).
class AbiVariant {
 public:
  // All zero is the empty variant on every platform (VT_EMPTY is 0).
  AbiVariant() : value_{} {}
  // Builds the host form of a value; throws std::bad_alloc when out of memory.
  explicit AbiVariant(const Variant& value);
  ~AbiVariant() { clear(); }
  AbiVariant(AbiVariant&& other) noexcept : value_(other.value_) {
    abi::variant_init(&other.value_);
  }
  AbiVariant& operator=(AbiVariant&& other) noexcept;
  AbiVariant(const AbiVariant&) = delete;
  AbiVariant& operator=(const AbiVariant&) = delete;

  const PxVariant& get() const { return value_; }
  // Address for a host call that fills a result (it is cleared first).
  PxVariant* out() {
    clear();
    return &value_;
  }
  // Gives up ownership: the caller clears the returned variant.
  PxVariant release() {
    PxVariant copy = value_;
    abi::variant_init(&value_);
    return copy;
  }

 private:
  // A variant of a tag that holds its value in itself (empty, null, the
  // numbers, dates and booleans) owns nothing: it is emptied here, with no
  // call. The reads of a row are many, and most are of such values.
  void clear() {
    if (holds_itself(value_.vt)) {
      std::memset(&value_, 0, sizeof value_);
      return;
    }
    abi::variant_clear(&value_);
  }
  static constexpr bool holds_itself(uint16_t vt) {
    constexpr uint32_t kTags = 1u << PX_VT_EMPTY | 1u << PX_VT_NULL | 1u << PX_VT_I2 |
                               1u << PX_VT_I4 | 1u << PX_VT_R8 | 1u << PX_VT_CY | 1u << PX_VT_DATE |
                               1u << PX_VT_BOOL | 1u << PX_VT_I8;
    return vt < 32 && (kTags >> vt & 1u) != 0;
  }

  PxVariant value_;
};

// A host string holding a copy of the text; never null (throws std::bad_alloc
// when memory is exhausted).
PxString make_abi_string(std::u16string_view text);

}  // namespace pharmex
