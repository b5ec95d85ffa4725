#include "export_command.h"

#include <ostream>

#include "cli_host.h"
#include "core/error.h"
#include "host/dialog_preparation.h"
#include "host/document_kinds.h"
#include "host/layout_dispatcher.h"
#include "pharmex/pharmex.h"
#include "platform/paths.h"
#include "platform/toolkit.h"

namespace pharmex::cli {

namespace {

struct LayoutName {
  const char* name;
  int index;
};

// The waybill layouts by the names the tool accepts, in file-type order.
constexpr LayoutName kWaybillLayouts[] = {{"dbf4", 0},        {"efarma-sst", 1},
                                          {"apteka2000w", 2}, {"gornyvershini", 3},
                                          {"djinal", 4},      {"apteka-m", 5}};

int layout_index(Arguments& args, const LayoutName* names, size_t count) {
  std::optional<std::string> type = args.option("type");
  std::optional<std::string> layout = args.option("layout");
  if (type && layout) throw UsageError("give --type or --layout, not both");
  if (layout) {
    for (size_t i = 0; i < count; ++i) {
      if (*layout == names[i].name) return names[i].index;
    }
    std::string known;
    for (size_t i = 0; i < count; ++i)
      known += std::string(i ? ", " : "") + names[i].name;
    throw UsageError("unknown layout '" + *layout + "' (one of " + known + ")");
  }
  if (!type) return 0;
  size_t used = 0;
  int index = -1;
  try {
    index = std::stoi(*type, &used);
  } catch (const std::exception&) {
  }
  if (used != type->size() || index < 0 || static_cast<size_t>(index) >= count) {
    throw UsageError("--type must be a number from 0 to " + std::to_string(count - 1));
  }
  return index;
}

// The file waybill_export_ToPath writes: the folder, the proposed name and
// the type's extension when the name has none.
std::string waybill_target(const host::HostRef<IDataSet>& headers, const std::string& folder,
                           int index) {
  host::DocumentKind kind = host::waybill_kind();
  std::string name = host::propose_file_name(kind, headers);
  return host::with_type_extension(folder + name,
                                   platform::FileType::parse(kind.file_types[index]).mask);
}

int export_waybill(Arguments& args, Io& io) {
  std::string header_csv = args.required("header");
  std::string lines_csv = args.required("lines");
  int index = layout_index(args, kWaybillLayouts, std::size(kWaybillLayouts));
  std::optional<std::string> dir = args.option("dir");
  std::optional<std::string> out = args.option("out");
  if (dir.has_value() == out.has_value()) throw UsageError("give --dir or --out");
  args.expect_all_used();

  auto headers = load_host_data(header_csv);
  auto lines = load_host_data(lines_csv);
  ensure_settings_key();
  RunCallbacks::reset(&io, progress_bar_wanted());
  if (dir) {
    std::string folder = ansi_path(*dir);
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    if (!platform::directory_exists(folder)) {
      io.err << "pharmex export: no such folder: " << *dir << '\n';
      return kFailed;
    }
    std::string target = waybill_target(host::HostRef<IDataSet>(headers), folder, index);
    waybill_export_ToPath(kToolWindow, headers.get(), lines.get(), RunCallbacks::progress,
                          RunCallbacks::start, RunCallbacks::finish, folder.c_str(), index);
    int code = report_last_error(io, "export");
    if (code == kDone) io.out << utf8_text(target) << '\n';
    return code;
  }
  waybill_export(kToolWindow, headers.get(), lines.get(), RunCallbacks::progress,
                 RunCallbacks::start, RunCallbacks::finish);
  std::string target = platform::expand_file_name(ansi_path(*out));
  int code = answer_open_dialog(io, target, index);
  if (code == kDone)
    io.out << utf8_text(host::with_type_extension(
                  target, platform::FileType::parse(host::waybill_kind().file_types[index]).mask))
           << '\n';
  return code;
}

}  // namespace

int run_export(const std::vector<std::string>& raw, Io& io) {
  if (raw.empty()) throw UsageError("what to export? (waybill)");
  Arguments args(std::vector<std::string>(raw.begin() + 1, raw.end()), {});
  try {
    if (raw[0] == "waybill") return export_waybill(args, io);
  } catch (const Error& e) {
    io.err << "pharmex export: " << utf8_text(e.what()) << '\n';
    return kFailed;
  }
  throw UsageError("unknown document '" + raw[0] + "' (waybill)");
}

const Command& export_command() {
  static const Command kCommand = {
      "export",
      "waybill --header H.csv --lines L.csv (--type N | --layout NAME) (--dir FOLDER | --out PATH)",
      "export host data (CSV) through the library: --dir runs the dialog-less entry point, --out "
      "answers the file dialog",
      run_export};
  return kCommand;
}

}  // namespace pharmex::cli
