#include "platform/headless_driver.h"

namespace pharmex::platform {

DialogAnswer answer_dialog(HeadlessToolkit& toolkit, std::string_view path,
                           std::optional<int> file_type) {
  return toolkit.answer(path, file_type);
}

bool dismiss_dialog(HeadlessToolkit& toolkit) {
  return toolkit.dismiss();
}

}  // namespace pharmex::platform
