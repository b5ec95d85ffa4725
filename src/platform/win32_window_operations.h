// The operations on windows that the library's file dialog needs from
// Windows: enabling and disabling the host's window while a dialog is open
// (EnableWindow), raising it after a failed run (BringWindowToTop), the
// system's answer to "which window is active" (GetActiveWindow), and the
// message boxes, the error box among them (MessageBoxW). A Windows toolkit
// backend calls these; the headless toolkit only records them.
//
// Window handles are the host's; 0 stands for no window and is ignored as
// Windows ignores a missing window. Text is ANSI, like all text inside the
// library. Call on the thread that owns the windows.
#pragma once

#include <string_view>

#include "platform/toolkit.h"

namespace pharmex::platform {

class Win32WindowOperations {
 public:
  static void enable_window(WindowHandle window, bool enable);
  static bool window_enabled(WindowHandle window);
  static void bring_window_to_top(WindowHandle window);
  // The active window of the calling thread; 0 when it has none.
  static WindowHandle active_window();
  // A modal message box owned by `owner`, with the icon of its kind; returns
  // when the user closed it.
  static void message_box(WindowHandle owner, std::string_view text, std::string_view caption,
                          MessageKind kind);
  // The error box the toolkit shows for a failure: `message` under the
  // caption "Error".
  static void show_error(WindowHandle owner, std::string_view message);
};

}  // namespace pharmex::platform
