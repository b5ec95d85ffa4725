// TShellOpenSaveForm: the dialog object every entry point creates. It is the
// library's part of a toolkit shell open/save form (attached to it as its
// extension, so the two live and die together) and carries what the routines
// need: the host window handle, the three callbacks and up to three datasets.
//
// Lifecycle of a shown dialog (host/dialog_preparation.h shows it):
//
//   Open ──confirm──> Confirmed ──close query accepts──> Running ──success──> Closed
//    ^                    │                                 │
//    └──query refuses─────┘ (the confirmation lapses)       │
//    └──the run failed: error box, host window raised, still disabled
//   Open ──cancel, Esc, close box──> Closed (nothing runs)
//
// Closed enables the host window and lets the toolkit destroy the form, which
// destroys this object and releases its dataset references. A holder made for
// a dialog-less entry point is the same object, never shown.
//
// Handlers. install_handlers puts four handlers on the form (close, file-name
// change, cancel click, confirm click); each calls the handler it replaced
// first, so handlers the toolkit or a form had before keep working.
#pragma once

#include <cstdint>
#include <memory>

#include "host/document_kind.h"
#include "host/host_ref.h"
#include "pharmex/host.h"
#include "platform/toolkit.h"

namespace pharmex::host {

struct Callbacks {
  PxProgressCallback progress = nullptr;
  PxStartCallback start = nullptr;
  PxFinishCallback finish = nullptr;
};

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

  // The host window; 0 for a holder.
  PxWindow window() const { return window_; }
  void set_window(PxWindow window) { window_ = window; }

  const Callbacks& callbacks() const { return callbacks_; }
  void set_callbacks(const Callbacks& callbacks) { callbacks_ = callbacks; }
  // Call the host's callbacks with the window handle; a missing one is skipped.
  void notify_start() const;
  void notify_progress(int32_t percent) const;
  void notify_finish() const;

  // The import's price list; null for the exports.
  const HostRef<IDataSet>& first_dataset() const { return first_; }
  // Suppliers, prices, order or waybill headers; the import's second dataset.
  const HostRef<IDataSet>& main_dataset() const { return main_; }
  // Order or waybill lines; the import's order lines.
  const HostRef<IDataSet>& lines_dataset() const { return lines_; }
  void set_datasets(HostRef<IDataSet> first, HostRef<IDataSet> main, HostRef<IDataSet> lines);

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

  PxWindow window_ = 0;
  platform::CloseHandler previous_close_;
  platform::Handler previous_file_name_change_;
  platform::Handler previous_cancel_click_;
  platform::Handler previous_open_click_;
  bool confirmed_ = false;
  Callbacks callbacks_;
  HostRef<IDataSet> first_;
  HostRef<IDataSet> main_;
  HostRef<IDataSet> lines_;
};

}  // namespace pharmex::host
