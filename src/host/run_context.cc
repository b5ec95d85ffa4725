#include "host/run_context.h"

#include <utility>

namespace pharmex::host {

void RunContext::notify_start() const {
  if (callbacks_.start != nullptr) callbacks_.start(window_);
}

void RunContext::notify_progress(int32_t percent) const {
  if (callbacks_.progress != nullptr) callbacks_.progress(window_, percent);
}

void RunContext::notify_finish() const {
  if (callbacks_.finish != nullptr) callbacks_.finish(window_);
}

void RunContext::set_datasets(HostRef<IDataSet> first, HostRef<IDataSet> main,
                              HostRef<IDataSet> lines) {
  first_ = std::move(first);
  main_ = std::move(main);
  lines_ = std::move(lines);
}

}  // namespace pharmex::host
