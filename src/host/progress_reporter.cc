#include "host/progress_reporter.h"

#include <algorithm>

#include "host/host_call.h"

namespace pharmex::host {

void ProgressReporter::row_done() {
  ++rows_;
  if (count_ <= 0) return;
  int32_t percent = static_cast<int32_t>(std::min<int64_t>(rows_ * 100 / count_, 100));
  if (percent > last_) report(percent);
}

void ProgressReporter::finish() {
  if (last_ < 100 && callback_ != nullptr) report(100);
}

void ProgressReporter::report(int32_t percent) {
  // Remembered as reported even without a callback, as the rule says.
  last_ = percent;
  PxProgressCallback callback = callback_;
  PxWindow window = window_;
  if (callback != nullptr) call_host("the progress callback", [=] { callback(window, percent); });
}

}  // namespace pharmex::host
