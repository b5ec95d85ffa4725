#include "export_command.h"

#include <ostream>

#include "app/dialog_preparation.h"
#include "app/dialogless_run.h"
#include "app/document_kinds.h"
#include "app/layout_dispatcher.h"
#include "cli_host.h"
#include "core/error.h"
#include "pharmex/pharmex.h"
#include "platform/paths.h"
#include "platform/toolkit.h"

namespace pharmex::cli {

namespace {

struct LayoutName {
  const char* name;
  int index;
};

// The layouts by the names the tool accepts, in file-type order.
constexpr LayoutName kWaybillLayouts[] = {{"dbf4", 0},        {"efarma-sst", 1},
                                          {"apteka2000w", 2}, {"gornyvershini", 3},
                                          {"djinal", 4},      {"apteka-m", 5}};
constexpr LayoutName kPriceLayouts[] = {{"dbf4", 0}, {"khabarovsk", 1}, {"unico", 2}};

template <size_t N>
int layout_index(Arguments& args, const LayoutName (&names)[N]) {
  std::optional<std::string> type = args.option("type");
  std::optional<std::string> layout = args.option("layout");
  if (type && layout) throw UsageError("give --type or --layout, not both");
  if (layout) {
    for (const LayoutName& known : names) {
      if (*layout == known.name) return known.index;
    }
    std::string list;
    for (const LayoutName& known : names)
      list += std::string(list.empty() ? "" : ", ") + known.name;
    throw UsageError("unknown layout '" + *layout + "' (one of " + list + ")");
  }
  if (!type) return 0;
  size_t used = 0;
  int index = -1;
  try {
    index = std::stoi(*type, &used);
  } catch (const std::exception&) {
  }
  if (used != type->size() || index < 0 || static_cast<size_t>(index) >= N) {
    throw UsageError("--type must be a number from 0 to " + std::to_string(N - 1));
  }
  return index;
}

// The file-type mask of a kind's entry ("*.dbf").
std::string type_mask(const app::DocumentKind& kind, int index) {
  return platform::FileType::parse(kind.file_types[static_cast<size_t>(index)]).mask;
}

// The host's side of every run: its registry key, and fresh callbacks (a
// progress bar when stderr is a terminal).
void prepare_run(Io& io) {
  ensure_settings_key();
  RunCallbacks::reset(&io, progress_bar_wanted());
}

// Answers the dialog an entry point opened with `out` and the file type, and
// prints the file written (the dialog adds the type's extension to a name
// without one).
int answer_and_report(Io& io, const app::DocumentKind& kind, const std::string& out, int index) {
  std::string target = platform::expand_file_name(ansi_path(out));
  int code = answer_open_dialog(io, target, index);
  if (code == kDone)
    io.out << utf8_text(app::with_type_extension(target, type_mask(kind, index))) << '\n';
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
  return answer_and_report(io, app::supplier_kind(), out, 0);
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
  return answer_and_report(io, app::order_kind(), out, 0);
}

// price_export_to_file: the generic layout, on the path as given (the table
// engine adds ".DBF" to a name without extension), no callbacks.
int export_price_without_dialog(Io& io, const host::HostRef<memhost::MemoryDataSet>& prices,
                                const std::string& out) {
  std::string path = ansi_path(out);
  price_export_to_file(prices.get(), path.c_str());
  int code = report_last_error(io, "export");
  if (code == kDone)
    io.out << utf8_text(platform::has_extension(path) ? path : path + ".DBF") << '\n';
  return code;
}

int export_price(Arguments& args, Io& io) {
  std::string data_csv = args.required("data");
  std::string out = args.required("out");
  bool no_dialog = args.flag("no-dialog");
  int index = layout_index(args, kPriceLayouts);
  args.expect_all_used();
  if (no_dialog && index != 0) throw UsageError("--no-dialog writes the dbf4 layout only");

  auto prices = load_host_data(data_csv);
  prepare_run(io);
  if (no_dialog) return export_price_without_dialog(io, prices, out);
  price_export(kToolWindow, prices.get(), RunCallbacks::progress, RunCallbacks::start,
               RunCallbacks::finish);
  return answer_and_report(io, app::price_kind(), out, index);
}

int export_waybill(Arguments& args, Io& io) {
  std::string header_csv = args.required("header");
  std::string lines_csv = args.required("lines");
  int index = layout_index(args, kWaybillLayouts);
  std::optional<std::string> dir = args.option("dir");
  std::optional<std::string> out = args.option("out");
  if (dir.has_value() == out.has_value()) throw UsageError("give --dir or --out");
  args.expect_all_used();

  auto headers = load_host_data(header_csv);
  auto lines = load_host_data(lines_csv);
  prepare_run(io);
  if (out) {
    waybill_export(kToolWindow, headers.get(), lines.get(), RunCallbacks::progress,
                   RunCallbacks::start, RunCallbacks::finish);
    return answer_and_report(io, app::waybill_kind(), *out, index);
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
  static const Command kCommand = {
      "export",
      "supplier --data S.csv --out PATH\n"
      "  pharmex export order --header H.csv --lines L.csv --out PATH\n"
      "  pharmex export price --data P.csv --out PATH [--type N | --layout NAME | --no-dialog]\n"
      "  pharmex export waybill --header H.csv --lines L.csv [--type N | --layout NAME]"
      " (--dir FOLDER | --out PATH)",
      "export host data (CSV) through the library: --out answers the file dialog, --dir and "
      "--no-dialog run the dialog-less entry points",
      run_export};
  return kCommand;
}

}  // namespace pharmex::cli
