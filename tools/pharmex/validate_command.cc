#include "validate_command.h"

#include <algorithm>
#include <optional>
#include <ostream>

#include "cli_host.h"
#include "core/error.h"
#include "dbf/engine_options.h"
#include "json_text.h"
#include "validate/layout_catalogue.h"
#include "validate/validator.h"

namespace pharmex::cli {

namespace {

using validate::Finding;
using validate::LayoutCatalogue;

std::string joined(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& name : names)
    out += (out.empty() ? "" : ", ") + name;
  return out;
}

// The findings that break the layout, notes left out.
size_t findings(const validate::ValidationReport& report) {
  return static_cast<size_t>(std::count_if(report.findings.begin(), report.findings.end(),
                                           [](const Finding& f) { return !f.note; }));
}

std::string place_text(const Finding& finding) {
  switch (finding.place) {
    case Finding::Place::header:
      return "header";
    case Finding::Place::record:
      return "record " + std::to_string(finding.number);
    case Finding::Place::line:
      return "line " + std::to_string(finding.number);
    case Finding::Place::memo:
      return finding.number > 0 ? "memo of record " + std::to_string(finding.number) : "header";
    case Finding::Place::file:
      break;
  }
  return "file";
}

const char* place_name(Finding::Place place) {
  switch (place) {
    case Finding::Place::header:
      return "header";
    case Finding::Place::record:
      return "record";
    case Finding::Place::line:
      return "line";
    case Finding::Place::memo:
      return "memo";
    case Finding::Place::file:
      break;
  }
  return "file";
}

// FILE: record 3, field CENA, byte 612: "12,50" has a decimal comma; expected ...
void print_text(std::ostream& out, const std::string& path,
                const validate::ValidationReport& report) {
  if (!report.layout.empty()) {
    out << path << ": checked against " << report.layout << " (" << report.title
        << "): " << report.reason << '\n';
  }
  for (const Finding& finding : report.findings) {
    out << finding.file << ": " << (finding.note ? "note: " : "") << place_text(finding);
    if (!finding.field.empty()) out << ", field " << finding.field;
    if (finding.offset) out << ", byte " << *finding.offset;
    out << ": " << finding.problem;
    if (!finding.expected.empty()) out << "; expected " << finding.expected;
    out << '\n';
  }
  const size_t count = findings(report);
  const size_t notes = report.findings.size() - count;
  const std::string noted =
      notes == 0 ? "" : " (" + std::to_string(notes) + (notes == 1 ? " note)" : " notes)");
  if (count == 0) {
    out << path << ": no findings" << noted << ", the file meets the layout\n";
  } else {
    out << path << ": " << count << (count == 1 ? " finding" : " findings") << noted << '\n';
  }
}

std::string json_number(int64_t number) {
  return number > 0 ? std::to_string(number) : "null";
}

void print_json(std::ostream& out, const std::string& path,
                const validate::ValidationReport& report) {
  out << "{\n  \"file\": " << JsonString(path)
      << ",\n  \"layout\": " << (report.layout.empty() ? "null" : JsonString(report.layout))
      << ",\n  \"title\": " << JsonString(report.title)
      << ",\n  \"reason\": " << JsonString(report.reason) << ",\n  \"findings\": [";
  bool first = true;
  for (const Finding& f : report.findings) {
    const bool record = f.place == Finding::Place::record || f.place == Finding::Place::memo;
    out << (first ? "\n" : ",\n") << "    {\"kind\": " << (f.note ? "\"note\"" : "\"finding\"")
        << ", \"file\": " << JsonString(f.file)
        << ", \"place\": " << JsonString(place_name(f.place))
        << ", \"record\": " << (record ? json_number(f.number) : "null")
        << ", \"line\": " << (f.place == Finding::Place::line ? json_number(f.number) : "null")
        << ", \"field\": " << (f.field.empty() ? "null" : JsonString(f.field))
        << ", \"offset\": " << (f.offset ? std::to_string(*f.offset) : "null")
        << ", \"problem\": " << JsonString(f.problem)
        << ", \"expected\": " << (f.expected.empty() ? "null" : JsonString(f.expected)) << '}';
    first = false;
  }
  out << (first ? "]\n}\n" : "\n  ]\n}\n");
}

}  // namespace

int run_validate(const std::vector<std::string>& args, Io& io) {
  Arguments arguments(args, {"json"});
  const bool json = arguments.flag("json");
  const std::optional<std::string> layout = arguments.option("layout");
  const std::optional<std::string> price = arguments.path_option("price");
  const std::optional<std::string> path = arguments.positional();
  if (!path) throw UsageError("missing FILE");
  arguments.expect_all_used();
  const LayoutCatalogue& catalogue = LayoutCatalogue::instance();
  if (layout && catalogue.table(*layout) == nullptr && catalogue.text(*layout) == nullptr) {
    throw UsageError("unknown layout '" + *layout + "' (one of " + joined(catalogue.names()) + ")");
  }
  validate::ValidationRequest request{*path, layout.value_or(""), nullptr};
  validate::ValidationReport report;
  try {
    if (price) request.prices = load_host_data(*price);
    report = validate::validate_file(request, dbf::EngineOptions::process_defaults());
  } catch (const validate::RequestError& e) {
    throw UsageError(e.what());
  } catch (const Error& e) {
    io.err << "pharmex validate: " << utf8_text(e.what()) << '\n';
    return kFailed;
  }
  if (json) {
    print_json(io.out, *path, report);
  } else {
    print_text(io.out, *path, report);
  }
  return findings(report) == 0 ? kDone : kFailed;
}

const Command& validate_command() {
  static const Command kCommand = {"validate", run_validate};
  return kCommand;
}

}  // namespace pharmex::cli
