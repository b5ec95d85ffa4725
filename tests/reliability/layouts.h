// Every layout the library writes or reads, as the reliability tests run
// them: through its routine, on a run context holding the example host data
// of examples/ (the waybill for the export layouts, the price list and order
// lines for the import readers).
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "host/run_context.h"

namespace pharmex::reliability {

enum class LayoutKind {
  kText,    // writes a text file all or nothing; calls only start
  kTable,   // writes a dBase IV table; calls start and finish
  kReader,  // reads an order file into the order lines; start and finish
};

struct Layout {
  std::string name;  // as the dialog's file type names it
  LayoutKind kind;
  host::Routine routine;
  std::string file_name;     // of the target (or order file)
  std::string folder_value;  // the registry value it remembers its folder in; "" none
  // The example file a reader reads (under examples/); "" for the exports.
  std::string example_file;
  // The host data in the context's datasets; fresh for every run.
  void (*give_data)(host::RunContext& context);
};

// gtest prints a layout parameter by its name.
inline void PrintTo(const Layout& layout, std::ostream* out) {
  *out << layout.name;
}

const std::vector<Layout>& all_layouts();
// The layouts that write dBase tables.
std::vector<Layout> table_layouts();

// gtest parameter names: "Djinal", "Apteka_M", ...
std::string test_name(std::string_view name);

// A file of examples/.
std::string example_path(const std::string& name);

// The memo file of a table target ("waybill.dbf" -> "waybill.dbt").
std::string memo_target(const std::string& target);

// The file a message names for `path`, a file a run into `target` worked on:
// for a file written aside under a temporary name, the target or its memo
// file, which it was to become; any other file by its own path.
std::string shown_path(const std::string& path, const std::string& target);

// True when a run's temporary files are among `names` (a folder's).
bool staged_files_among(const std::vector<std::string>& names);

}  // namespace pharmex::reliability
