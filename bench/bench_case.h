// The cases of pharmex-bench and what they share.
//
// A case is prepared first (host data, input files: not timed), then run
// (timed: the library's entry point, exactly as a host calls it, or the
// table engine alone), then checked (not timed: the output must hold the
// expected number of rows, so a run that failed half-way is never reported
// as fast).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "pharmex/host.h"

namespace pharmex::bench {

struct CaseSettings {
  std::string folder;  // the case's own folder, ending with "/"
  int64_t rows = 0;
};

struct PreparedCase {
  std::function<void()> run;
  // The rows the output holds (records, body lines, order lines).
  std::function<int64_t()> check;
};

struct BenchCase {
  std::string_view name;
  PreparedCase (*prepare)(const CaseSettings& settings);
};

// Every case, in the order pharmex-bench runs them.
std::vector<BenchCase> all_cases();

std::vector<BenchCase> export_cases();
std::vector<BenchCase> import_cases();
std::vector<BenchCase> engine_cases();
// The command-line tool's host over CSV files; empty when the tool is not
// built (PHARMEX_BUILD_TOOLS off).
std::vector<BenchCase> cli_cases();

// The host window the dialog entry points get, and callbacks that only count.
inline constexpr PxWindow kHostWindow = 1;
void PX_STDCALL on_progress(PxWindow window, int32_t percent);
void PX_STDCALL on_start(PxWindow window);
void PX_STDCALL on_finish(PxWindow window);

// After a dialog entry point: answers its dialog as a user would (file type,
// path, Enter); throws std::runtime_error unless the run succeeded.
void answer_dialog(const std::string& path, int file_type);
// After a dialog-less entry point: throws std::runtime_error with the
// library's message when it failed.
void check_library_error(std::string_view entry_point);

// Records in a table file (deleted ones included).
int64_t table_records(const std::string& path);
// Lines (CR LF) in a text file.
int64_t text_lines(const std::string& path);

}  // namespace pharmex::bench
