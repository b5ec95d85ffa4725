#include "platform/toolkit.h"

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

std::shared_ptr<Toolkit> toolkit() {
  return Service<Toolkit>::current();
}

}  // namespace pharmex::platform
