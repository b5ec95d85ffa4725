#include "app/failure_mode.h"

#include <atomic>

#include "pharmex/pharmex.h"
#include "platform/structured_exceptions.h"

namespace pharmex::app {

namespace {

std::atomic<int32_t>& failure_mode() {
  static std::atomic<int32_t> mode{platform::failures_can_be_raised() ? PX_FAILURE_RAISE
                                                                      : PX_FAILURE_RECORD};
  return mode;
}

}  // namespace

int32_t set_failure_mode(int32_t mode) noexcept {
  if (mode != PX_FAILURE_RECORD && mode != PX_FAILURE_RAISE) return -1;
  if (mode == PX_FAILURE_RAISE && !platform::failures_can_be_raised()) return -1;
  return failure_mode().exchange(mode);
}

void pass_failure_on() noexcept {
  if (failure_mode().load() != PX_FAILURE_RAISE) return;
  platform::raise_failure(last_error_utf8(), last_error_ansi_text());
}

}  // namespace pharmex::app
