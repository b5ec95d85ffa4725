// Linux has no code pages of its own: the library's tables are all there is.
#include "platform/system_code_page.h"

namespace pharmex::platform {

std::optional<SystemCodePageTable> system_code_page_table(int /*number*/) {
  return std::nullopt;
}

}  // namespace pharmex::platform
