// The cases of the command-line tool's host: the synthetic rows are written
// to CSV files beforehand (not timed), then the tool's own command runs in
// this process exactly as `pharmex export ...` runs it: each file is opened
// and checked, and its rows are read on demand while the library exports
// them. Compared with the same export from the synthetic host, the
// difference is what the tool's host costs.
#include <filesystem>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_case.h"
#include "bench_data.h"
#include "cli.h"
#include "memhost/csv_writer.h"

namespace pharmex::bench {

namespace {

std::string write_csv_of(SyntheticTable table, const std::string& path) {
  SyntheticRef data = make_synthetic(std::move(table));
  memhost::write_csv_file(data.get(), path);
  return path;
}

void run_tool(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  cli::Io io{out, err};
  if (cli::run(args, io) != cli::kDone) throw std::runtime_error(err.str());
}

// pharmex export price --no-dialog: the generic price table, as the
// price-generic case writes it through the same entry point.
PreparedCase cli_price(const CaseSettings& s) {
  const std::string csv = write_csv_of(price_table(s.rows), s.folder + "price.csv");
  const std::string path = s.folder + "price.dbf";
  return {[csv, path] {
            run_tool({"export", "price", "--data", csv, "--out", path, "--no-dialog"});
          },
          [path] { return table_records(path); }};
}

// pharmex export waybill --layout djinal --dir: every line locates its
// waybill header among the headers read on demand.
PreparedCase cli_djinal(const CaseSettings& s) {
  const std::string headers = write_csv_of(waybill_header_table(s.rows), s.folder + "headers.csv");
  const std::string lines = write_csv_of(waybill_line_table(s.rows), s.folder + "lines.csv");
  const std::string folder = s.folder + "out";
  std::filesystem::create_directories(folder);
  const std::string path = folder + "/waybill_" + first_waybill_number() + ".dbf";
  return {[headers, lines, folder] {
            run_tool({"export", "waybill", "--header", headers, "--lines", lines, "--layout",
                      "djinal", "--dir", folder});
          },
          [path] { return table_records(path); }};
}

}  // namespace

std::vector<BenchCase> cli_cases() {
  return {{"cli-price", cli_price}, {"cli-djinal", cli_djinal}};
}

}  // namespace pharmex::bench
