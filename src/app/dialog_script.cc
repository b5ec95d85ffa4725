#include "app/dialog_script.h"

#include <memory>

#include "app/last_error.h"
#include "platform/dialog_driver.h"
#include "platform/toolkit.h"

namespace pharmex::app {

namespace {

using platform::DialogAnswer;

// The toolkit in use when a program can drive its dialogs.
std::shared_ptr<platform::DialogDriver> driver() {
  return std::dynamic_pointer_cast<platform::DialogDriver>(platform::toolkit());
}

}  // namespace

int32_t answer_dialog(std::string_view path, std::optional<int> file_type) {
  std::shared_ptr<platform::DialogDriver> toolkit = driver();
  if (!toolkit) return -1;
  DialogAnswer answer = toolkit->answer(path, file_type);
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
  std::shared_ptr<platform::DialogDriver> toolkit = driver();
  return toolkit && toolkit->dismiss() ? 0 : -1;
}

}  // namespace pharmex::app
