#include "platform/headless_toolkit.h"

#include <stdexcept>

#include "platform/paths.h"

namespace pharmex::platform {

namespace {

HeadlessPlaces default_places() {
  std::string home = user_home_folder();
  std::string desktop = home;
  if (desktop.empty() || !is_path_separator(desktop.back())) desktop.push_back(path_separator());
  desktop += "Desktop";
  return {home, directory_exists(desktop) ? desktop : home};
}

}  // namespace

HeadlessToolkit::HeadlessToolkit() : places_(default_places()) {}

HeadlessToolkit::~HeadlessToolkit() {
  // Forms go first: their extensions may still call the toolkit while they
  // release what they hold.
  forms_.clear();
}

std::unique_ptr<ShellForm> HeadlessToolkit::create_shell_form() {
  auto form = std::make_unique<HeadlessShellForm>(*this, active_window_answer_, ++forms_created_);
  if (form_created_) form_created_(*form);
  return form;
}

void HeadlessToolkit::show_modeless(std::unique_ptr<ShellForm> form) {
  auto* headless = dynamic_cast<HeadlessShellForm*>(form.get());
  if (headless == nullptr || &headless->toolkit_ != this) {
    throw std::invalid_argument("the form was not made by this toolkit");
  }
  headless->show();
  form.release();
  forms_.add(std::unique_ptr<HeadlessShellForm>(headless));
}

void HeadlessToolkit::show_error(std::string_view message) {
  message_box(message, kErrorCaption, MessageKind::kError);
}

void HeadlessToolkit::message_box(std::string_view text, std::string_view caption,
                                  MessageKind kind) {
  message_boxes_.push_back({kind, std::string(caption), std::string(text)});
}

void HeadlessToolkit::enable_window(WindowHandle window, bool enable) {
  if (window == 0) return;
  enabled_[window] = enable;
  window_events_.push_back(
      {enable ? WindowEvent::Kind::kEnable : WindowEvent::Kind::kDisable, window});
}

void HeadlessToolkit::bring_window_to_top(WindowHandle window) {
  if (window == 0) return;
  window_events_.push_back({WindowEvent::Kind::kBringToTop, window});
}

bool HeadlessToolkit::window_enabled(WindowHandle window) const {
  auto it = enabled_.find(window);
  return it == enabled_.end() || it->second;
}

void HeadlessToolkit::dispatch(const std::function<void()>& event) noexcept {
  forms_.dispatch(event, [this](std::string_view message) { show_error(message); });
}

void HeadlessToolkit::destroy_released_forms() noexcept {
  forms_.destroy_released();
}

DialogAnswer HeadlessToolkit::answer(std::string_view path, std::optional<int> file_type) {
  return answer_active_form(forms_, message_boxes_, path, file_type);
}

bool HeadlessToolkit::dismiss() {
  return dismiss_active_form(forms_);
}

}  // namespace pharmex::platform
