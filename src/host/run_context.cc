#include "host/run_context.h"

#include <stdexcept>
#include <utility>

#include "core/service.h"

namespace pharmex::host {

RunContext::RunContext() {
  take_process_services();
}

void RunContext::take_process_services() {
  settings_ = regional_settings();
  file_system_ = Service<platform::FileSystem>::current();
  clock_ = Service<platform::Clock>::current();
}

void RunContext::set_file_system(std::shared_ptr<platform::FileSystem> file_system) {
  if (!file_system) throw std::invalid_argument("a run needs a file system");
  file_system_ = std::move(file_system);
}

void RunContext::set_clock(std::shared_ptr<const platform::Clock> clock) {
  if (!clock) throw std::invalid_argument("a run needs a clock");
  clock_ = std::move(clock);
}

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
