#include "platform/headless_toolkit.h"

#include <stdexcept>

#include "core/error.h"
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
  while (!forms_.empty())
    forms_.pop_back();
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
  forms_.emplace_back(headless);
  form.release();
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

std::vector<HeadlessShellForm*> HeadlessToolkit::open_forms() const {
  std::vector<HeadlessShellForm*> open;
  for (const auto& form : forms_) {
    if (form->visible()) open.push_back(form.get());
  }
  return open;
}

HeadlessShellForm* HeadlessToolkit::active_form() const {
  for (auto it = forms_.rbegin(); it != forms_.rend(); ++it) {
    if ((*it)->visible()) return it->get();
  }
  return nullptr;
}

HeadlessShellForm* HeadlessToolkit::open_form(int id) const {
  for (const auto& form : forms_) {
    if (form->id() == id && form->visible()) return form.get();
  }
  return nullptr;
}

void HeadlessToolkit::dispatch(const std::function<void()>& event) noexcept {
  ++event_depth_;
  try {
    event();
  } catch (...) {
    show_error(current_exception_message());
  }
  if (--event_depth_ == 0) destroy_released_forms();
}

void HeadlessToolkit::destroy_released_forms() noexcept {
  std::vector<std::unique_ptr<HeadlessShellForm>> released;
  for (auto& form : forms_) {
    if (form->released()) released.push_back(std::move(form));
  }
  std::erase(forms_, nullptr);
  // `released` goes here, after forms_ is consistent again.
}

}  // namespace pharmex::platform
