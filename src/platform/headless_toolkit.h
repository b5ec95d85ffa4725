// HeadlessToolkit: the user-interface toolkit without a screen. Its forms are
// HeadlessShellForm; it keeps the forms shown, runs their events, and records
// every message box and every operation on a host window, so that tests and
// the command-line tool can drive the library's dialogs like a user and see
// what a user would see.
//
// The message loop. A real toolkit runs handlers from its message loop; here
// each user action of a HeadlessShellForm is one event run by dispatch(): a
// failure escaping the event is shown in an error box (show_error), and forms
// whose close completed with CloseAction::kFree are destroyed once the
// outermost event returns.
//
// Message boxes are answered at once (OK), as a user who reads them would.
// Host windows start enabled; enable_window and bring_window_to_top on
// window 0 are ignored, as Windows ignores a missing window.
//
// Single-threaded, like every toolkit.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog_driver.h"
#include "platform/headless_shell_form.h"
#include "platform/shown_forms.h"
#include "platform/toolkit.h"

namespace pharmex::platform {

struct WindowEvent {
  enum class Kind { kEnable, kDisable, kBringToTop };
  Kind kind;
  WindowHandle window;

  bool operator==(const WindowEvent&) const = default;
};

// Folders the place buttons open.
struct HeadlessPlaces {
  std::string recent;   // btnPlace0
  std::string desktop;  // btnPlace1 and btnShowDesktop
};

class HeadlessToolkit final : public Toolkit, public DialogDriver {
 public:
  // The caption of the error box.
  static constexpr std::string_view kErrorCaption = "Error";

  // Places: the user's home folder, and its "Desktop" when there is one.
  HeadlessToolkit();
  ~HeadlessToolkit() override;
  HeadlessToolkit(const HeadlessToolkit&) = delete;
  HeadlessToolkit& operator=(const HeadlessToolkit&) = delete;

  // Toolkit.
  std::unique_ptr<ShellForm> create_shell_form() override;
  // Throws std::invalid_argument for a form another toolkit made, and
  // std::logic_error for options this toolkit cannot honour (it asks no
  // questions: overwrite_prompt, create_prompt).
  void show_modeless(std::unique_ptr<ShellForm> form) override;
  void show_error(std::string_view message) override;
  void message_box(std::string_view text, std::string_view caption, MessageKind kind) override;
  void enable_window(WindowHandle window, bool enable) override;
  void bring_window_to_top(WindowHandle window) override;
  WindowHandle active_window_answer() const override { return active_window_answer_; }
  void set_active_window_answer(WindowHandle window) override { active_window_answer_ = window; }

  // DialogDriver (platform/shown_forms.h): message boxes are answered at
  // once here anyway.
  DialogAnswer answer(std::string_view path, std::optional<int> file_type) override;
  bool dismiss() override;

  // The forms shown and not closed, in the order they were shown.
  std::vector<HeadlessShellForm*> open_forms() const { return forms_.open_forms(); }
  // The form shown last that is still open; null when none is.
  HeadlessShellForm* active_form() const { return forms_.active(); }
  // The open form with that id; null when it is closed or gone.
  HeadlessShellForm* open_form(int id) const { return forms_.open_form(id); }

  const std::vector<MessageBoxRecord>& message_boxes() const { return message_boxes_; }
  const std::vector<WindowEvent>& window_events() const { return window_events_; }
  bool window_enabled(WindowHandle window) const;

  const HeadlessPlaces& places() const { return places_; }
  void set_places(HeadlessPlaces places) { places_ = std::move(places); }

  // Runs for every form this toolkit creates, before its creator sees it, as
  // a form's own constructor would (tests install earlier handlers with it).
  void set_form_created_hook(std::function<void(HeadlessShellForm&)> hook) {
    form_created_ = std::move(hook);
  }

  // Runs one event of the message loop (see above). Never throws.
  void dispatch(const std::function<void()>& event) noexcept;
  // Destroys the forms whose close completed; dispatch does it after every
  // event, callers that closed a form outside an event call it themselves.
  void destroy_released_forms() noexcept;

 private:
  ShownForms<HeadlessShellForm> forms_;
  std::vector<MessageBoxRecord> message_boxes_;
  std::vector<WindowEvent> window_events_;
  std::map<WindowHandle, bool> enabled_;
  HeadlessPlaces places_;
  std::function<void(HeadlessShellForm&)> form_created_;
  WindowHandle active_window_answer_ = 0;
  int forms_created_ = 0;
};

}  // namespace pharmex::platform
