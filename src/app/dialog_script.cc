#include "app/dialog_script.h"

#include <memory>

#include "app/last_error.h"
#include "platform/headless_driver.h"
#include "platform/headless_toolkit.h"
#include "platform/toolkit.h"

namespace pharmex::app {

namespace {

using platform::DialogAnswer;

// The toolkit in use when it is the headless one.
std::shared_ptr<platform::HeadlessToolkit> headless_toolkit() {
  return std::dynamic_pointer_cast<platform::HeadlessToolkit>(platform::toolkit());
}

}  // namespace

int32_t answer_dialog(std::string_view path, std::optional<int> file_type) {
  std::shared_ptr<platform::HeadlessToolkit> toolkit = headless_toolkit();
  if (!toolkit) return -1;
  DialogAnswer answer = platform::answer_dialog(*toolkit, path, file_type);
  switch (answer.outcome) {
    case DialogAnswer::Outcome::kNoDialog:
      return -1;
    case DialogAnswer::Outcome::kClosed:
      return 0;
    case DialogAnswer::Outcome::kFailed:
      set_last_error(answer.message);
      return 1;
    case DialogAnswer::Outcome::kRefused:
      if (!answer.message.empty()) set_last_error(answer.message);
      return 2;
  }
  return -1;
}

int32_t cancel_dialog() {
  std::shared_ptr<platform::HeadlessToolkit> toolkit = headless_toolkit();
  return toolkit && platform::dismiss_dialog(*toolkit) ? 0 : -1;
}

}  // namespace pharmex::app
