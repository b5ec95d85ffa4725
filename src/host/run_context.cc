#include "host/run_context.h"

#include <stdexcept>
#include <utility>

#include "core/service.h"
#include "host/host_call.h"

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
  PxStartCallback start = callbacks_.start;
  PxWindow window = window_;
  if (start != nullptr) call_host("the start callback", [=] { start(window); });
}

void RunContext::notify_progress(int32_t percent) const {
  PxProgressCallback progress = callbacks_.progress;
  PxWindow window = window_;
  if (progress != nullptr) call_host("the progress callback", [=] { progress(window, percent); });
}

void RunContext::notify_finish() const {
  PxFinishCallback finish = callbacks_.finish;
  PxWindow window = window_;
  if (finish != nullptr) call_host("the finish callback", [=] { finish(window); });
}

void RunContext::set_datasets(HostRef<IDataSet> first, HostRef<IDataSet> main,
                              HostRef<IDataSet> lines) {
  first_ = std::move(first);
  main_ = std::move(main);
  lines_ = std::move(lines);
}

}  // namespace pharmex::host
