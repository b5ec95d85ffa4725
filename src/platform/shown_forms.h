// ShownForms: the shell forms a toolkit has shown, in the order shown, and
// the rules every toolkit's message loop keeps for them.
//
// Events. Each user action on a form (a click, a key, a notification) runs
// as one event (dispatch): a failure escaping it is handed to the toolkit's
// error box, and a form whose close completed with CloseAction::kFree is
// destroyed once the outermost event has returned, so a handler may finish
// after asking for its own form's end.
//
// Driving. A program answers the form shown last as a user would
// (DialogDriver): answer_active_form picks the file type, opens the folder
// of an absolute path, types the name and presses Enter, then tells from
// the form and the message boxes what the user saw.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/error.h"
#include "platform/dialog_driver.h"
#include "platform/paths.h"
#include "platform/toolkit.h"

namespace pharmex::platform {

template <class Form>
class ShownForms {
 public:
  ShownForms() = default;
  // Forms go before the toolkit that holds this: their extensions may still
  // call the toolkit while they release what they hold.
  ~ShownForms() { clear(); }
  ShownForms(const ShownForms&) = delete;
  ShownForms& operator=(const ShownForms&) = delete;

  void add(std::unique_ptr<Form> form) { forms_.push_back(std::move(form)); }
  // Destroys every form, the one shown last first.
  void clear() noexcept {
    while (!forms_.empty())
      forms_.pop_back();
  }

  bool empty() const { return forms_.empty(); }
  auto begin() const { return forms_.begin(); }
  auto end() const { return forms_.end(); }

  // The forms shown and not closed, in the order they were shown.
  std::vector<Form*> open_forms() const {
    std::vector<Form*> open;
    for (const auto& form : forms_) {
      if (form->visible()) open.push_back(form.get());
    }
    return open;
  }
  // The form shown last that is still open; null when none is.
  Form* active() const {
    for (auto it = forms_.rbegin(); it != forms_.rend(); ++it) {
      if ((*it)->visible()) return it->get();
    }
    return nullptr;
  }
  // The open form with that id; null when it is closed or gone.
  Form* open_form(int id) const {
    for (const auto& form : forms_) {
      if (form->id() == id && form->visible()) return form.get();
    }
    return nullptr;
  }

  // Runs one event; `show_error` gets the message of a failure it lets out.
  // True when it was the outermost event, after which released forms are
  // gone. Never throws.
  template <class ShowError>
  bool dispatch(const std::function<void()>& event, ShowError&& show_error) noexcept {
    ++event_depth_;
    try {
      event();
    } catch (...) {
      show_error(current_exception_message());
    }
    if (--event_depth_ != 0) return false;
    destroy_released();
    return true;
  }

  // Destroys the forms whose close completed with kFree.
  void destroy_released() noexcept {
    std::vector<std::unique_ptr<Form>> released;
    for (auto& form : forms_) {
      if (form->released()) released.push_back(std::move(form));
    }
    std::erase(forms_, nullptr);
    // `released` goes here, after forms_ is consistent again.
  }

 private:
  std::vector<std::unique_ptr<Form>> forms_;
  int event_depth_ = 0;
};

// Answers the form shown last (DialogDriver::answer); `boxes` are the
// message boxes the toolkit showed or answered, the newest last.
template <class Form>
DialogAnswer answer_active_form(const ShownForms<Form>& forms,
                                const std::vector<MessageBoxRecord>& boxes, std::string_view path,
                                std::optional<int> file_type) {
  Form* form = forms.active();
  if (form == nullptr) return {};
  if (file_type) form->select_file_type(*file_type);
  std::string_view name = path;
  if (is_absolute_path(path)) {
    std::string_view folder = extract_file_path(path);
    if (form->open_folder(folder)) name = extract_file_name(path);
  }
  form->type_file_name(name);
  const size_t boxes_before = boxes.size();
  const int id = form->id();
  form->press_enter();  // may destroy the form
  if (forms.open_form(id) == nullptr) return {DialogAnswer::Outcome::kClosed, {}};
  if (boxes.size() == boxes_before) return {DialogAnswer::Outcome::kRefused, {}};
  const MessageBoxRecord& shown = boxes.back();
  return {shown.kind == MessageKind::kError ? DialogAnswer::Outcome::kFailed
                                            : DialogAnswer::Outcome::kRefused,
          shown.text};
}

// Cancels the form shown last with Esc (DialogDriver::dismiss).
template <class Form>
bool dismiss_active_form(const ShownForms<Form>& forms) {
  Form* form = forms.active();
  if (form == nullptr) return false;
  form->press_escape();
  return true;
}

}  // namespace pharmex::platform
