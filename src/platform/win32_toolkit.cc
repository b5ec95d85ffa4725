#include "platform/win32_toolkit.h"

#include <stdexcept>

#include "core/error.h"
#include "platform/paths.h"
#include "platform/win32_text.h"
#include "platform/win32_window_operations.h"

namespace pharmex::platform {

namespace {

// The toolkit whose forms the thread's message hook serves.
thread_local Win32Toolkit* hooked_toolkit = nullptr;

UINT icon_of(MessageKind kind) {
  switch (kind) {
    case MessageKind::kError:
      return MB_ICONERROR;
    case MessageKind::kWarning:
      return MB_ICONWARNING;
    case MessageKind::kInformation:
      break;
  }
  return MB_ICONINFORMATION;
}

// Sets a flag for one scope, also left by an exception.
class ScriptScope {
 public:
  explicit ScriptScope(bool& flag) : flag_(flag) { flag_ = true; }
  ~ScriptScope() { flag_ = false; }
  ScriptScope(const ScriptScope&) = delete;
  ScriptScope& operator=(const ScriptScope&) = delete;

 private:
  bool& flag_;
};

}  // namespace

Win32Toolkit::~Win32Toolkit() {
  // Forms go first: their extensions may still call the toolkit while they
  // release what they hold.
  while (!forms_.empty())
    forms_.pop_back();
  update_hook();
}

std::unique_ptr<ShellForm> Win32Toolkit::create_shell_form() {
  return std::make_unique<Win32ShellForm>(*this, active_window_answer(), ++forms_created_);
}

void Win32Toolkit::show_modeless(std::unique_ptr<ShellForm> form) {
  auto* own = dynamic_cast<Win32ShellForm*>(form.get());
  if (own == nullptr || &own->toolkit_ != this) {
    throw std::invalid_argument("the form was not made by this toolkit");
  }
  own->show();
  forms_.emplace_back(own);
  form.release();
  update_hook();
}

void Win32Toolkit::show_error(std::string_view message) {
  message_box(message, kErrorCaption, MessageKind::kError);
}

void Win32Toolkit::message_box(std::string_view text, std::string_view caption, MessageKind kind) {
  Win32ShellForm* form = active_form();
  show_message(form != nullptr ? form->window() : reinterpret_cast<HWND>(active_window_answer()),
               text, caption, kind);
}

void Win32Toolkit::show_message(HWND owner, std::string_view text, std::string_view caption,
                                MessageKind kind) {
  if (scripted_) {
    answered_boxes_.emplace_back(kind, std::string(text));
    return;
  }
  if (!::IsWindow(owner)) owner = nullptr;
  ::MessageBoxW(owner, wide_text(text).c_str(), wide_text(caption).c_str(), MB_OK | icon_of(kind));
}

void Win32Toolkit::enable_window(WindowHandle window, bool enable) {
  Win32WindowOperations::enable_window(window, enable);
}

void Win32Toolkit::bring_window_to_top(WindowHandle window) {
  Win32WindowOperations::bring_window_to_top(window);
}

WindowHandle Win32Toolkit::active_window_answer() const {
  return active_window_answer_ != 0 ? active_window_answer_
                                    : Win32WindowOperations::active_window();
}

void Win32Toolkit::dispatch(const std::function<void()>& event) noexcept {
  ++event_depth_;
  try {
    event();
  } catch (...) {
    show_error(current_exception_message());
  }
  if (--event_depth_ == 0) destroy_released_forms();
}

void Win32Toolkit::destroy_released_forms() noexcept {
  std::vector<std::unique_ptr<Win32ShellForm>> released;
  for (auto& form : forms_) {
    if (form->released()) released.push_back(std::move(form));
  }
  std::erase(forms_, nullptr);
  released.clear();
  update_hook();
}

Win32ShellForm* Win32Toolkit::active_form() const {
  for (auto it = forms_.rbegin(); it != forms_.rend(); ++it) {
    if ((*it)->visible()) return it->get();
  }
  return nullptr;
}

bool Win32Toolkit::is_open(int id) const {
  for (const auto& form : forms_) {
    if (form->id() == id && form->visible()) return true;
  }
  return false;
}

// The same steps as the headless driver (platform/headless_driver.h), on the
// real window.
DialogAnswer Win32Toolkit::answer(std::string_view path, std::optional<int> file_type) {
  Win32ShellForm* form = active_form();
  if (form == nullptr) return {};
  ScriptScope scripted(scripted_);
  answered_boxes_.clear();
  if (file_type) form->select_file_type(*file_type);
  std::string_view name = path;
  if (is_absolute_path(path)) {
    std::string_view folder = extract_file_path(path);
    if (form->open_folder(folder)) name = extract_file_name(path);
  }
  form->type_file_name(name);
  size_t boxes_before = answered_boxes_.size();
  int id = form->id();
  form->press_enter();  // may destroy the form
  if (!is_open(id)) return {DialogAnswer::Outcome::kClosed, {}};
  if (answered_boxes_.size() == boxes_before) return {DialogAnswer::Outcome::kRefused, {}};
  const auto& [kind, text] = answered_boxes_.back();
  return {kind == MessageKind::kError ? DialogAnswer::Outcome::kFailed
                                      : DialogAnswer::Outcome::kRefused,
          text};
}

bool Win32Toolkit::dismiss() {
  Win32ShellForm* form = active_form();
  if (form == nullptr) return false;
  ScriptScope scripted(scripted_);
  form->press_escape();
  return true;
}

// Hooked while a form is shown, unhooked with the last one.
void Win32Toolkit::update_hook() {
  bool wanted = !forms_.empty();
  if (wanted && hook_ == nullptr) {
    hook_ = ::SetWindowsHookExW(WH_GETMESSAGE, &Win32Toolkit::message_hook, nullptr,
                                ::GetCurrentThreadId());
    if (hook_ != nullptr) hooked_toolkit = this;
  } else if (!wanted && hook_ != nullptr) {
    ::UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    if (hooked_toolkit == this) hooked_toolkit = nullptr;
  }
}

// Keyboard messages taken from the queue for a form or one of its controls
// get the form's dialog-message translation; a translated message becomes
// WM_NULL, which the host's loop then dispatches harmlessly.
LRESULT CALLBACK Win32Toolkit::message_hook(int code, WPARAM w, LPARAM l) {
  auto* message = reinterpret_cast<MSG*>(l);
  Win32Toolkit* toolkit = hooked_toolkit;
  if (code == HC_ACTION && w == PM_REMOVE && toolkit != nullptr && message->hwnd != nullptr &&
      message->message >= WM_KEYFIRST && message->message <= WM_KEYLAST) {
    for (const auto& form : toolkit->forms_) {
      HWND window = form->window();
      if (!form->visible() || window == nullptr) continue;
      if (message->hwnd != window && !::IsChild(window, message->hwnd)) continue;
      if (form->translate(*message)) message->message = WM_NULL;
      break;  // the form may be gone now
    }
  }
  return ::CallNextHookEx(nullptr, code, w, l);
}

}  // namespace pharmex::platform
