#include "platform/win32_toolkit.h"

#include <stdexcept>

#include "core/cleanup.h"
#include "platform/win32_window_operations.h"

namespace pharmex::platform {

namespace {

// The toolkit whose forms the thread's message hook serves.
thread_local Win32Toolkit* hooked_toolkit = nullptr;

}  // namespace

Win32Toolkit::~Win32Toolkit() {
  // Forms go first: their extensions may still call the toolkit while they
  // release what they hold.
  forms_.clear();
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
  form.release();
  forms_.add(std::unique_ptr<Win32ShellForm>(own));
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
    answered_boxes_.push_back({kind, std::string(caption), std::string(text)});
    return;
  }
  if (!::IsWindow(owner)) owner = nullptr;
  Win32WindowOperations::message_box(reinterpret_cast<WindowHandle>(owner), text, caption, kind);
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
  if (forms_.dispatch(event, [this](std::string_view message) { show_error(message); })) {
    update_hook();
  }
}

Win32ShellForm* Win32Toolkit::active_form() const {
  return forms_.active();
}

// While a program answers, message boxes are answered at once and recorded.
DialogAnswer Win32Toolkit::answer(std::string_view path, std::optional<int> file_type) {
  FlagScope scripted(scripted_);
  answered_boxes_.clear();
  return answer_active_form(forms_, answered_boxes_, path, file_type);
}

bool Win32Toolkit::dismiss() {
  FlagScope scripted(scripted_);
  return dismiss_active_form(forms_);
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
