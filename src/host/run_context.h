// RunContext: what one run of a routine works with, and all it may use of the
// entry point that started it: the host window handle, the host's three
// callbacks, up to three datasets and the store the remembered folders go to.
//
// The caller owns it. A dialog keeps one and hands it to the routine of the
// confirmed file type; the dialog-less entry points build one (window 0)
// and run the routine on it directly. A context is a plain value: copies
// share the host's datasets (each copy holds its own references, released
// when it goes away). The regional settings are not part of it: the layouts
// still read the process's (core/regional_settings.h).
#pragma once

#include <cstdint>
#include <string>

#include "host/host_ref.h"
#include "host/progress_reporter.h"
#include "host/remembered_folders.h"
#include "pharmex/host.h"

namespace pharmex::host {

// The host's callbacks; each may be null and is then skipped.
struct Callbacks {
  PxProgressCallback progress = nullptr;
  PxStartCallback start = nullptr;
  PxFinishCallback finish = nullptr;
};

class RunContext {
 public:
  // The host window, passed to every callback; 0 without a dialog.
  PxWindow window() const { return window_; }
  void set_window(PxWindow window) { window_ = window; }

  const Callbacks& callbacks() const { return callbacks_; }
  void set_callbacks(const Callbacks& callbacks) { callbacks_ = callbacks; }
  // Call the host's callbacks with the window handle; a missing one is skipped.
  void notify_start() const;
  void notify_progress(int32_t percent) const;
  void notify_finish() const;
  // The progress rule over `count` rows, reporting through the progress
  // callback with the window handle.
  ProgressReporter progress(int32_t count) const {
    return ProgressReporter(callbacks_.progress, window_, count);
  }

  // The import's price list; null for the exports.
  const HostRef<IDataSet>& first_dataset() const { return first_; }
  // Suppliers, prices, order or waybill headers; the import's second dataset.
  const HostRef<IDataSet>& main_dataset() const { return main_; }
  // Order or waybill lines; the import's order lines.
  const HostRef<IDataSet>& lines_dataset() const { return lines_; }
  void set_datasets(HostRef<IDataSet> first, HostRef<IDataSet> main, HostRef<IDataSet> lines);

  // Where the routine stores the folder it used (and a dialog reads it).
  const RememberedFolders& folders() const { return folders_; }
  void set_folders(RememberedFolders folders) { folders_ = std::move(folders); }

 private:
  PxWindow window_ = 0;
  Callbacks callbacks_;
  HostRef<IDataSet> first_;
  HostRef<IDataSet> main_;
  HostRef<IDataSet> lines_;
  RememberedFolders folders_;
};

// One layout's export or import: the run context and the full target or
// source path. Failures are raised.
using Routine = void (*)(RunContext& context, const std::string& path);

}  // namespace pharmex::host
