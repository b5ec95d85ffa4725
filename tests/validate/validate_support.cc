#include "validate/validate_support.h"

#include <algorithm>

#include "dbf/engine_options.h"

namespace pharmex::validate::testing {

ValidationReport validate(const std::string& path, const std::string& layout,
                          host::HostRef<IDataSet> prices) {
  dbf::EngineOptions options = dbf::EngineOptions::process_defaults();
  options.settings = RegionalSettings{};
  return validate_file({path, layout, std::move(prices)}, options);
}

std::string listed(const ValidationReport& report) {
  std::string out = "layout " + report.layout + " (" + report.reason + ")\n";
  for (const Finding& f : report.findings) {
    out += (f.note ? "note " : "") + f.file + " #" + std::to_string(f.number) + " " + f.field +
           " @" + (f.offset ? std::to_string(*f.offset) : "-") + ": " + f.problem + " | " +
           f.expected + "\n";
  }
  return out;
}

size_t defects(const ValidationReport& report) {
  return static_cast<size_t>(std::count_if(report.findings.begin(), report.findings.end(),
                                           [](const Finding& f) { return !f.note; }));
}

const Finding* finding_at(const ValidationReport& report, std::optional<uint64_t> offset,
                          const std::string& problem) {
  for (const Finding& f : report.findings) {
    if (f.note || (offset && f.offset != offset)) continue;
    if (f.problem.find(problem) != std::string::npos) return &f;
  }
  return nullptr;
}

}  // namespace pharmex::validate::testing
