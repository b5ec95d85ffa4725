// Conversion between the library's Variant and the host's 16-byte PxVariant,
// and AbiVariant, an owning holder that clears a PxVariant when it goes away.
#pragma once

#include <string_view>

#include "core/abi_memory.h"
#include "core/variant.h"
#include "pharmex/variant.h"

namespace pharmex {

// Reads a host variant. A tag the library does not know throws VariantError
// ("Could not convert variant of type (Unknown) into type (Variant)").
Variant from_abi(const PxVariant& value);

// Owns one PxVariant and clears it on destruction (never throws).
class AbiVariant {
 public:
  AbiVariant() { abi::variant_init(&value_); }
  // Builds the host form of a value; throws std::bad_alloc when out of memory.
  explicit AbiVariant(const Variant& value);
  ~AbiVariant() { abi::variant_clear(&value_); }
  AbiVariant(AbiVariant&& other) noexcept : value_(other.value_) {
    abi::variant_init(&other.value_);
  }
  AbiVariant& operator=(AbiVariant&& other) noexcept;
  AbiVariant(const AbiVariant&) = delete;
  AbiVariant& operator=(const AbiVariant&) = delete;

  const PxVariant& get() const { return value_; }
  // Address for a host call that fills a result (it is cleared first).
  PxVariant* out() {
    abi::variant_clear(&value_);
    return &value_;
  }
  // Gives up ownership: the caller clears the returned variant.
  PxVariant release() {
    PxVariant copy = value_;
    abi::variant_init(&value_);
    return copy;
  }

 private:
  PxVariant value_;
};

// A host string holding a copy of the text; never null (throws std::bad_alloc
// when memory is exhausted).
PxString make_abi_string(std::u16string_view text);

}  // namespace pharmex
