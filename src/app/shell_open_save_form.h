// TShellOpenSaveForm: the dialog object every dialog entry point creates. It
// is the library's part of a toolkit shell open/save form (attached to it as
// its extension, so the two live and die together) and owns the run context
// its routines get (host/run_context.h): the host window handle, the three
// callbacks, up to three datasets and the remembered folders. The regional
// settings, file system and clock of a run are the process's when the run
// starts, not when the dialog opened: a host that changes its settings while
// the dialog is open has its new settings honoured.
//
// Lifecycle of a shown dialog (app/dialog_preparation.h shows it):
//
//   Open ──confirm──> Confirmed ──close query accepts──> Running ──success──> Closed
//    ^                    │                                 │
//    └──query refuses─────┘ (the confirmation lapses)       │
//    └──the run failed: error box, host window raised, still disabled
//   Open ──cancel, Esc, close box──> Closed (nothing runs)
//
// Closed enables the host window and lets the toolkit destroy the form, which
// destroys this object and releases its dataset references.
//
// Handlers. install_handlers puts four handlers on the form (close, file-name
// change, cancel click, confirm click); each calls the handler it replaced
// first, so handlers the toolkit or a form had before keep working.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/document_kind.h"
#include "host/run_context.h"
#include "platform/toolkit.h"

namespace pharmex::app {

class TShellOpenSaveForm final : public platform::FormExtension {
 public:
  enum class State { kOpen, kConfirmed, kRunning, kClosed };

  // A new toolkit form with a dialog object attached (`of` finds it), its
  // confirm and cancel buttons hot-tracking. The form owns the dialog object.
  static std::unique_ptr<platform::ShellForm> create(platform::Toolkit& toolkit);
  // The dialog object of a form made by create().
  static TShellOpenSaveForm& of(platform::ShellForm& form);

  TShellOpenSaveForm(const TShellOpenSaveForm&) = delete;
  TShellOpenSaveForm& operator=(const TShellOpenSaveForm&) = delete;

  platform::ShellForm& form() const { return form_; }
  platform::Toolkit& toolkit() const { return toolkit_; }
  State state() const { return state_; }
  bool confirmed() const { return confirmed_; }

  // What the routine of a confirmed file type runs with; its window is the
  // host window the dialog enables again when it closes.
  host::RunContext& context() { return context_; }
  const host::RunContext& context() const { return context_; }
  void set_context(host::RunContext context) { context_ = std::move(context); }

  // Called with the path a run used (the chosen path after the extension
  // rule) once its routine has succeeded, before the dialog closes: how a
  // host in a terminal learns which file the library chose.
  void set_run_observer(std::function<void(const std::string& path)> observer) {
    run_observer_ = std::move(observer);
  }

  // Installs the four handlers of a dialog of `kind` (see above).
  void install_handlers(std::shared_ptr<const DocumentKind> kind);

 private:
  TShellOpenSaveForm(platform::ShellForm& form, platform::Toolkit& toolkit);

  void file_name_changed();
  void cancel_clicked();
  void open_clicked();
  void closing(const DocumentKind& kind, platform::CloseAction& action);
  void run(const DocumentKind& kind);
  // Back to Open with the confirmation cleared.
  void lapse();

  platform::ShellForm& form_;
  platform::Toolkit& toolkit_;
  State state_ = State::kOpen;

  platform::CloseHandler previous_close_;
  platform::Handler previous_file_name_change_;
  platform::Handler previous_cancel_click_;
  platform::Handler previous_open_click_;
  bool confirmed_ = false;
  host::RunContext context_;
  std::function<void(const std::string& path)> run_observer_;
};

}  // namespace pharmex::app
