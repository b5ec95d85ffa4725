#include "host/host_variant.h"

#include "core/abi_variant.h"
#include "platform/text_codec.h"

namespace pharmex::host {

Variant read_host_variant(const PxVariant& value) {
  return from_abi(
      value, [](std::string_view bytes) { return platform::text_codec().ansi_to_utf16(bytes); });
}

}  // namespace pharmex::host
