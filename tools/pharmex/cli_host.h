// What the command-line tool does as the host application: it loads host data
// from CSV files, owns the registry key the library remembers folders in,
// provides the callbacks (a progress bar on a terminal), answers the library's
// dialogs in the headless toolkit, and reports the library's failures.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cli.h"
#include "host/host_ref.h"
#include "memhost/memory_dataset.h"
#include "pharmex/host.h"

namespace pharmex::cli {

// The tool's "main window": any non-zero handle, so dialogs have an owner.
constexpr PxWindow kToolWindow = 1;

// Opens a CSV file (UTF-8 path) as host data, as a database host opens its
// table: the file is checked now (pharmex::Error with the file, line and
// column of what is wrong) and its rows are read from it when the library
// asks for them; the rows the library appends or edits are held in memory
// (memhost::open_csv_file). Memory stays at a few bytes a row.
host::HostRef<memhost::MemoryDataSet> load_host_data(const std::string& path);

// Paths between the terminal (UTF-8) and the library (ANSI).
std::string ansi_path(std::string_view utf8);
std::string utf8_text(std::string_view ansi);

// Creates the registry key "Software\kestrova" when it is missing: the host
// owns it; the library only opens it.
void ensure_settings_key();

// The callbacks the tool hands to the library, and what they saw in a run.
struct RunCallbacks {
  static void PX_STDCALL progress(PxWindow window, int32_t percent);
  static void PX_STDCALL start(PxWindow window);
  static void PX_STDCALL finish(PxWindow window);

  // Forgets the previous run; `io` receives the progress bar when `bar` is set.
  static void reset(Io* io, bool bar);
  static int starts;
  static int finishes;
  static int last_percent;
};

// True when the progress bar should be drawn (stderr is a terminal).
bool progress_bar_wanted();

// After a dialog-less entry point: prints the library's failure (exit 1) or
// nothing (exit 0).
int report_last_error(Io& io, std::string_view context);

// Answers the open dialog with an ANSI path and a file-type index, as a user
// would (the folder is opened, the name typed, the type picked, Enter).
// Prints a failure or refusal on stderr and returns the exit code. With
// `ran_on`, it receives the path the dialog's run used, as the library
// reports it ("" when nothing ran).
int answer_open_dialog(Io& io, const std::string& path, std::optional<int> file_type,
                       std::string* ran_on = nullptr);

}  // namespace pharmex::cli
