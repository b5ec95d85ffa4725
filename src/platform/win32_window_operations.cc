#include "platform/win32_window_operations.h"

#include <windows.h>

#include "platform/win32_text.h"

namespace pharmex::platform {

namespace {

HWND window_of(WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}

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

}  // namespace

void Win32WindowOperations::enable_window(WindowHandle window, bool enable) {
  if (window != 0) ::EnableWindow(window_of(window), enable ? TRUE : FALSE);
}

bool Win32WindowOperations::window_enabled(WindowHandle window) {
  return window != 0 && ::IsWindowEnabled(window_of(window)) != 0;
}

void Win32WindowOperations::bring_window_to_top(WindowHandle window) {
  if (window != 0) ::BringWindowToTop(window_of(window));
}

WindowHandle Win32WindowOperations::active_window() {
  return reinterpret_cast<WindowHandle>(::GetActiveWindow());
}

void Win32WindowOperations::message_box(WindowHandle owner, std::string_view text,
                                        std::string_view caption, MessageKind kind) {
  ::MessageBoxW(window_of(owner), wide_text(text).c_str(), wide_text(caption).c_str(),
                MB_OK | icon_of(kind));
}

void Win32WindowOperations::show_error(WindowHandle owner, std::string_view message) {
  message_box(owner, message, "Error", MessageKind::kError);
}

}  // namespace pharmex::platform
