// RunContext: what one run of a routine works with, and all it may use of the
// entry point that started it: the host window handle, the host's three
// callbacks, up to three datasets, the store the remembered folders go to,
// and the services of the run: the regional settings host values are
// converted and combined with, the file system every file of the run goes
// through and the clock that dates a table's header.
//
// The caller owns it. A dialog keeps one and hands it to the routine of the
// confirmed file type; the dialog-less entry points build one (window 0)
// and run the routine on it directly. A context is a plain value: copies
// share the host's datasets (each copy holds its own references, released
// when it goes away) and the file system and clock.
//
// Services. A new context holds the process's current settings, file system
// and clock (core/service.h): what a run that starts now uses.
// take_process_services() takes them again, for a context made earlier
// than its run (a dialog's, made when the dialog opens, takes them when its
// run starts, so that the host may change its settings while the dialog is
// open). A test or tool that means to steer a run sets them on its context.
// Routines read them here and nowhere else: the table layouts convert with
// settings(), the text layouts with their own derived from them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "core/regional_settings.h"
#include "host/host_ref.h"
#include "host/progress_reporter.h"
#include "host/remembered_folders.h"
#include "pharmex/host.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace pharmex::host {

// The host's callbacks; each may be null and is then skipped.
struct Callbacks {
  PxProgressCallback progress = nullptr;
  PxStartCallback start = nullptr;
  PxFinishCallback finish = nullptr;
};

class RunContext {
 public:
  // No window, callbacks, datasets or folders yet; the process's services.
  RunContext();

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

  // The regional settings host values are converted and combined with.
  const RegionalSettings& settings() const { return settings_; }
  void set_settings(const RegionalSettings& settings) { settings_ = settings; }
  // The file system every file of the run goes through; never null.
  const std::shared_ptr<platform::FileSystem>& file_system() const { return file_system_; }
  void set_file_system(std::shared_ptr<platform::FileSystem> file_system);
  // The clock that dates the tables the run writes; never null.
  const std::shared_ptr<const platform::Clock>& clock() const { return clock_; }
  void set_clock(std::shared_ptr<const platform::Clock> clock);
  // The process's current settings, file system and clock, replacing those
  // held.
  void take_process_services();

 private:
  PxWindow window_ = 0;
  Callbacks callbacks_;
  HostRef<IDataSet> first_;
  HostRef<IDataSet> main_;
  HostRef<IDataSet> lines_;
  RememberedFolders folders_;
  RegionalSettings settings_;
  std::shared_ptr<platform::FileSystem> file_system_;
  std::shared_ptr<const platform::Clock> clock_;
};

// One layout's export or import: the run context and the full target or
// source path. Failures are raised.
using Routine = void (*)(RunContext& context, const std::string& path);

}  // namespace pharmex::host
