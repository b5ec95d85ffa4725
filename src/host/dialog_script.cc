// The exported functions of pharmex/dialog_script.h: a program answers the
// headless toolkit's dialog as a user would, through platform/headless_driver.h.
#include "pharmex/dialog_script.h"

#include <memory>
#include <optional>

#include "host/last_error.h"
#include "platform/headless_driver.h"
#include "platform/headless_toolkit.h"

namespace {

using pharmex::platform::DialogAnswer;

// The toolkit in use when it is the headless one.
std::shared_ptr<pharmex::platform::HeadlessToolkit> headless_toolkit() {
  return std::dynamic_pointer_cast<pharmex::platform::HeadlessToolkit>(
      pharmex::platform::toolkit());
}

}  // namespace

PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_dialog_answer(const char* path,
                                                            int32_t file_type) noexcept {
  int32_t result = -1;
  pharmex::host::run_at_boundary([&] {
    std::shared_ptr<pharmex::platform::HeadlessToolkit> toolkit = headless_toolkit();
    if (!toolkit) return;
    std::optional<int> type;
    if (file_type >= 0) type = file_type;
    DialogAnswer answer = pharmex::platform::answer_dialog(*toolkit, path ? path : "", type);
    switch (answer.outcome) {
      case DialogAnswer::Outcome::kNoDialog:
        break;
      case DialogAnswer::Outcome::kClosed:
        result = 0;
        break;
      case DialogAnswer::Outcome::kFailed:
        pharmex::host::set_last_error(answer.message);
        result = 1;
        break;
      case DialogAnswer::Outcome::kRefused:
        if (!answer.message.empty()) pharmex::host::set_last_error(answer.message);
        result = 2;
        break;
    }
  });
  return result;
}

PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_dialog_cancel(void) noexcept {
  int32_t result = -1;
  pharmex::host::run_at_boundary([&] {
    std::shared_ptr<pharmex::platform::HeadlessToolkit> toolkit = headless_toolkit();
    if (toolkit && pharmex::platform::dismiss_dialog(*toolkit)) result = 0;
  });
  return result;
}
