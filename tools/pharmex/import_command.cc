#include "import_command.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/document_kinds.h"
#include "cli_host.h"
#include "core/error.h"
#include "core/regional_settings.h"
#include "core/variant.h"
#include "layout_option.h"
#include "memhost/csv_writer.h"
#include "pharmex/pharmex.h"
#include "platform/paths.h"

namespace pharmex::cli {

namespace {

// What the import did to the order lines: the lines that were there before
// and now hold another quantity, and the lines appended. The lines as they
// were are the file's: a second dataset over it reads them again at the end
// (the file is replaced only by renaming, so it still reads the old bytes),
// rather than a copy of every quantity kept through the run.
class LineChanges {
 public:
  LineChanges(const std::string& lines_csv, const memhost::MemoryDataSet& lines)
      : before_(load_host_data(lines_csv)), quantity_(quantity_column(lines)) {}

  size_t raised(const memhost::MemoryDataSet& lines) const {
    if (!quantity_) return 0;
    const RegionalSettings settings = regional_settings();
    size_t count = 0;
    for (size_t row = 0; row < before_->row_count(); ++row) {
      if (compare(before_->value(row, *quantity_), lines.value(row, *quantity_), settings) !=
          Ordering::Equal) {
        ++count;
      }
    }
    return count;
  }
  size_t added(const memhost::MemoryDataSet& lines) const {
    return lines.row_count() - before_->row_count();
  }

 private:
  // The quantity column is the one named exactly "qty", as the import has it.
  static std::optional<size_t> quantity_column(const memhost::MemoryDataSet& lines) {
    for (size_t i = 0; i < lines.columns().size(); ++i) {
      if (lines.columns()[i].name == u"qty") return i;
    }
    return std::nullopt;
  }

  host::HostRef<memhost::MemoryDataSet> before_;
  std::optional<size_t> quantity_;
};

std::string lines_text(size_t count) {
  return std::to_string(count) + (count == 1 ? " line" : " lines");
}

struct ImportRequest {
  std::string price_csv;
  std::string lines_csv;
  std::string order_file;
  std::string out;
  int layout = 0;
  bool no_dialog = false;
};

ImportRequest parse(const std::vector<std::string>& raw) {
  Arguments args(raw, {"no-dialog"});
  ImportRequest request;
  request.price_csv = args.required("price");
  request.lines_csv = args.required("lines");
  const app::DocumentKind kind = app::order_import_kind();
  request.layout = layout_index(args, kind);
  // Taken now: answering the dialog changes the current directory.
  request.out = std::filesystem::absolute(args.required("out")).string();
  request.no_dialog = args.flag("no-dialog");
  std::optional<std::string> file = args.positional();
  if (!file) throw UsageError("which order file?");
  request.order_file = *file;
  args.expect_all_used();
  // order_import_from_file reads the kind's first layout.
  if (request.no_dialog && request.layout != 0) {
    throw UsageError("--no-dialog reads the " + kind.file_types[0].short_name + " layout only");
  }
  return request;
}

// Runs the library's import; prints a failure and returns the exit code.
int run_library_import(const ImportRequest& request, memhost::MemoryDataSet& prices,
                       memhost::MemoryDataSet& lines, Io& io) {
  host::HostRef<memhost::MemoryDataSet> second = memhost::MemoryDataSet::create({});
  if (request.no_dialog) {
    // The path goes to the library as given, as a host would pass it.
    order_import_from_file(&prices, second.get(), &lines, ansi_path(request.order_file).c_str());
    return report_last_error(io, "import");
  }
  order_import(kToolWindow, &prices, second.get(), &lines, RunCallbacks::progress,
               RunCallbacks::start, RunCallbacks::finish);
  return answer_open_dialog(io, platform::expand_file_name(ansi_path(request.order_file)),
                            request.layout);
}

}  // namespace

int run_import(const std::vector<std::string>& raw, Io& io) {
  ImportRequest request = parse(raw);
  try {
    auto prices = load_host_data(request.price_csv);
    auto lines = load_host_data(request.lines_csv);
    ensure_settings_key();
    RunCallbacks::reset(&io, progress_bar_wanted());
    LineChanges changes(request.lines_csv, *lines);
    int code = run_library_import(request, *prices, *lines, io);
    // Lines merged before a failure stay merged: they are written as well.
    memhost::write_csv_file(lines.get(), request.out);
    io.out << lines_text(changes.raised(*lines)) << " raised, " << lines_text(changes.added(*lines))
           << " added; order lines written to " << request.out << '\n';
    return code;
  } catch (const Error& e) {
    io.err << "pharmex import: " << utf8_text(e.what()) << '\n';
    return kFailed;
  }
}

const Command& import_command() {
  static const Command kCommand = {"import", run_import};
  return kCommand;
}

}  // namespace pharmex::cli
