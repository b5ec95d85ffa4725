#include "platform/toolkit.h"

#include <mutex>
#include <utility>

#include "platform/headless_toolkit.h"

namespace pharmex::platform {

FileType FileType::parse(std::string_view text) {
  size_t bar = text.find('|');
  if (bar == std::string_view::npos) return {std::string(text), "*"};
  return {std::string(text.substr(0, bar)), std::string(text.substr(bar + 1))};
}

ActiveWindowScope::ActiveWindowScope(Toolkit& toolkit, WindowHandle window)
    : toolkit_(toolkit), saved_(toolkit.active_window_answer()) {
  toolkit_.set_active_window_answer(window);
}

ActiveWindowScope::~ActiveWindowScope() {
  toolkit_.set_active_window_answer(saved_);
}

namespace {

struct ToolkitSlot {
  std::mutex mutex;
  std::shared_ptr<Toolkit> toolkit;  // null: the default, made when first asked for
};

ToolkitSlot& slot() {
  static ToolkitSlot instance;
  return instance;
}

}  // namespace

std::shared_ptr<Toolkit> toolkit() {
  ToolkitSlot& s = slot();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.toolkit) s.toolkit = std::make_shared<HeadlessToolkit>();
  return s.toolkit;
}

void set_toolkit(std::shared_ptr<Toolkit> toolkit) {
  std::shared_ptr<Toolkit> previous;
  ToolkitSlot& s = slot();
  std::lock_guard<std::mutex> lock(s.mutex);
  previous = std::exchange(s.toolkit, std::move(toolkit));
  // `previous` may be the last owner; its forms go after the lock is released.
}

ScopedToolkit::ScopedToolkit(std::shared_ptr<Toolkit> toolkit) {
  ToolkitSlot& s = slot();
  std::lock_guard<std::mutex> lock(s.mutex);
  saved_ = std::exchange(s.toolkit, std::move(toolkit));
}

ScopedToolkit::~ScopedToolkit() {
  set_toolkit(std::move(saved_));
}

}  // namespace pharmex::platform
