// Win32Toolkit: the user-interface toolkit of the Windows build. Its forms
// are Win32ShellForm windows, driven by the host's own message loop; its
// message boxes are the system's, owned by the dialog of the event that
// shows them; its operations on the host's windows are the system's
// (platform/win32_window_operations.h).
//
// The message loop is the host's, which knows nothing of the library's
// windows. A modeless window in a foreign loop gets no dialog-message
// translation (Tab, Enter, Esc, mnemonics), so while a form of the toolkit is
// shown the toolkit hooks the thread's message retrieval (WH_GETMESSAGE) and
// translates the messages meant for its forms; the hook goes with the last
// form.
//
// Events. Every notification a form receives is one event (dispatch): a
// failure escaping the handlers is shown in the error box, and forms whose
// close completed with CloseAction::kFree are destroyed once the outermost
// event returns, so a handler may finish after asking for it.
//
// A program may drive the forms instead of a person (DialogDriver, for
// pharmex/dialog_script.h): while it does, message boxes are not shown but
// answered at once, and their text reported to it.
//
// Everything runs on the thread that shows the forms, the host's
// user-interface thread.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog_driver.h"
#include "platform/shown_forms.h"
#include "platform/toolkit.h"
#include "platform/win32_shell_form.h"

namespace pharmex::platform {

class Win32Toolkit final : public Toolkit, public DialogDriver {
 public:
  static constexpr std::string_view kErrorCaption = "Error";

  Win32Toolkit() = default;
  ~Win32Toolkit() override;
  Win32Toolkit(const Win32Toolkit&) = delete;
  Win32Toolkit& operator=(const Win32Toolkit&) = delete;

  // Toolkit.
  std::unique_ptr<ShellForm> create_shell_form() override;
  // Throws std::invalid_argument for a form another toolkit made.
  void show_modeless(std::unique_ptr<ShellForm> form) override;
  void show_error(std::string_view message) override;
  void message_box(std::string_view text, std::string_view caption, MessageKind kind) override;
  void enable_window(WindowHandle window, bool enable) override;
  void bring_window_to_top(WindowHandle window) override;
  // The answer set, else the thread's active window.
  WindowHandle active_window_answer() const override;
  void set_active_window_answer(WindowHandle window) override { active_window_answer_ = window; }

  // DialogDriver.
  DialogAnswer answer(std::string_view path, std::optional<int> file_type) override;
  bool dismiss() override;

  // A message box owned by `owner` (the form showing it).
  void show_message(HWND owner, std::string_view text, std::string_view caption, MessageKind kind);
  // Runs one event of a form (see above). Never throws.
  void dispatch(const std::function<void()>& event) noexcept;

 private:
  static LRESULT CALLBACK message_hook(int code, WPARAM w, LPARAM l);
  Win32ShellForm* active_form() const;
  void update_hook();

  ShownForms<Win32ShellForm> forms_;
  WindowHandle active_window_answer_ = 0;
  HHOOK hook_ = nullptr;
  int forms_created_ = 0;
  // While a program drives a form: the boxes it was answered, in order.
  bool scripted_ = false;
  std::vector<MessageBoxRecord> answered_boxes_;
};

}  // namespace pharmex::platform
