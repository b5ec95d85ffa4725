#include "host/host_variant.h"

#include "core/abi_variant.h"
#include "platform/text_codec.h"

namespace pharmex::host {

namespace {

std::u16string ansi_text(std::string_view bytes) {
  return platform::text_codec().ansi_to_utf16(bytes);
}

}  // namespace

Variant read_host_variant(const PxVariant& value) {
  return from_abi(value, ansi_text);
}

void read_host_variant_into(Variant& out, const PxVariant& value) {
  from_abi_into(out, value, ansi_text);
}

}  // namespace pharmex::host
