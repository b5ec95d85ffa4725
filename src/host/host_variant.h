// The host's variants as the library reads them: every type from_abi reads
// (core/abi_variant.h), a Pascal host's 8-bit strings in the process's ANSI
// code page.
#pragma once

#include "core/variant.h"
#include "pharmex/variant.h"

namespace pharmex::host {

// Throws VariantError for a type the library cannot read.
Variant read_host_variant(const PxVariant& value);
// The same into `out`, reusing its text storage.
void read_host_variant_into(Variant& out, const PxVariant& value);

}  // namespace pharmex::host
