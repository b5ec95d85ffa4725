#include "export_command.h"

#include <ostream>

#include "app/dialogless_run.h"
#include "app/document_kinds.h"
#include "cli_host.h"
#include "core/error.h"
#include "dbf/dbf_table.h"
#include "host/run_context.h"
#include "layout_option.h"
#include "pharmex/pharmex.h"
#include "platform/paths.h"

namespace pharmex::cli {

namespace {

// The host's side of every run: its registry key, and fresh callbacks (a
// progress bar when stderr is a terminal).
void prepare_run(Io& io) {
  ensure_settings_key();
  RunCallbacks::reset(&io, progress_bar_wanted());
}

// Answers the dialog an entry point opened with `out` and the file type, and
// prints the file the library wrote, as the dialog reports it (a name without
// extension gets the type's).
int answer_and_report(Io& io, const std::string& out, int index) {
  std::string written;
  int code = answer_open_dialog(io, platform::expand_file_name(ansi_path(out)), index, &written);
  if (code == kDone && !written.empty()) io.out << utf8_text(written) << '\n';
  return code;
}

int export_supplier(Arguments& args, Io& io) {
  std::string data_csv = args.required("data");
  std::string out = args.required("out");
  args.expect_all_used();
  auto suppliers = load_host_data(data_csv);
  prepare_run(io);
  supplier_export(kToolWindow, suppliers.get(), RunCallbacks::progress, RunCallbacks::start,
                  RunCallbacks::finish);
  return answer_and_report(io, out, 0);
}

int export_order(Arguments& args, Io& io) {
  std::string header_csv = args.required("header");
  std::string lines_csv = args.required("lines");
  std::string out = args.required("out");
  args.expect_all_used();
  auto headers = load_host_data(header_csv);
  auto lines = load_host_data(lines_csv);
  prepare_run(io);
  order_export(kToolWindow, headers.get(), lines.get(), RunCallbacks::progress, RunCallbacks::start,
               RunCallbacks::finish);
  return answer_and_report(io, out, 0);
}

// price_export_to_file: the generic layout, on the path as given, no
// callbacks. The file written is the table engine's name for the path (it
// adds ".DBF" to a name without extension).
int export_price_without_dialog(Io& io, const host::HostRef<memhost::MemoryDataSet>& prices,
                                const std::string& out) {
  std::string path = ansi_path(out);
  price_export_to_file(prices.get(), path.c_str());
  int code = report_last_error(io, "export");
  if (code == kDone) io.out << utf8_text(dbf::TDbfTable::TablePath(path)) << '\n';
  return code;
}

int export_price(Arguments& args, Io& io) {
  std::string data_csv = args.required("data");
  std::string out = args.required("out");
  bool no_dialog = args.flag("no-dialog");
  const app::DocumentKind kind = app::price_kind();
  int index = layout_index(args, kind);
  args.expect_all_used();
  // price_export_to_file writes the kind's first layout.
  if (no_dialog && index != 0) {
    throw UsageError("--no-dialog writes the " + kind.file_types[0].short_name + " layout only");
  }

  auto prices = load_host_data(data_csv);
  prepare_run(io);
  if (no_dialog) return export_price_without_dialog(io, prices, out);
  price_export(kToolWindow, prices.get(), RunCallbacks::progress, RunCallbacks::start,
               RunCallbacks::finish);
  return answer_and_report(io, out, index);
}

int export_waybill(Arguments& args, Io& io) {
  std::string header_csv = args.required("header");
  std::string lines_csv = args.required("lines");
  int index = layout_index(args, app::waybill_kind());
  std::optional<std::string> dir = args.path_option("dir");
  std::optional<std::string> out = args.path_option("out");
  if (dir.has_value() == out.has_value()) throw UsageError("give --dir or --out");
  args.expect_all_used();

  auto headers = load_host_data(header_csv);
  auto lines = load_host_data(lines_csv);
  prepare_run(io);
  if (out) {
    waybill_export(kToolWindow, headers.get(), lines.get(), RunCallbacks::progress,
                   RunCallbacks::start, RunCallbacks::finish);
    return answer_and_report(io, *out, index);
  }
  std::string folder = ansi_path(*dir);
  if (folder.empty() || folder.back() != '/') folder.push_back('/');
  if (!platform::directory_exists(folder)) {
    io.err << "pharmex export: no such folder: " << *dir << '\n';
    return kFailed;
  }
  // The run behind waybill_export_ToPath, which tells the path it wrote: the
  // tool prints the library's name for the file rather than building its own.
  // A failure is raised, and run_export reports it.
  host::RunContext context;
  context.set_callbacks({RunCallbacks::progress, RunCallbacks::start, RunCallbacks::finish});
  context.set_datasets(nullptr, headers, lines);
  std::string target = app::run_in_folder(app::waybill_kind(), context, folder, index);
  io.out << utf8_text(target) << '\n';
  return kDone;
}

struct Document {
  const char* name;
  int (*run)(Arguments& args, Io& io);
};

constexpr Document kDocuments[] = {{"supplier", export_supplier},
                                   {"order", export_order},
                                   {"price", export_price},
                                   {"waybill", export_waybill}};

}  // namespace

int run_export(const std::vector<std::string>& raw, Io& io) {
  const char* known = "supplier, order, price, waybill";
  if (raw.empty()) throw UsageError(std::string("what to export? (") + known + ")");
  for (const Document& document : kDocuments) {
    if (raw[0] != document.name) continue;
    Arguments args(std::vector<std::string>(raw.begin() + 1, raw.end()), {"no-dialog"});
    try {
      return document.run(args, io);
    } catch (const Error& e) {
      io.err << "pharmex export: " << utf8_text(e.what()) << '\n';
      return kFailed;
    }
  }
  throw UsageError("unknown document '" + raw[0] + "' (" + known + ")");
}

const Command& export_command() {
  static const Command kCommand = {"export", run_export};
  return kCommand;
}

}  // namespace pharmex::cli
