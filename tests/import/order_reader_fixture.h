// The fixture of the reader tests: a run context with the host's price list
// and order lines, as the import dialog hands them to a reader.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "host/run_context.h"
#include "host/run_test_support.h"
#include "import/import_fixture.h"
#include "memhost/csv_writer.h"

namespace pharmex::importing::testing {

// Writes the DBF 4 layout with records of supplier, article and quantity.
inline void write_dbf4(const std::string& path, const std::vector<std::array<int, 3>>& records) {
  std::vector<Record> rows;
  for (const auto& [supplier, article, quantity] : records)
    rows.push_back(testing::dbf4_record(supplier, article, quantity));
  write_order_file(path, testing::dbf4_fields(), rows);
}

class OrderReaderTest : public host::testing::RunTest {
 protected:
  void TearDown() override {
    run_ = {};
    prices_ = {};
    lines_ = {};
    RunTest::TearDown();
  }

  // Hands the current host data to the run context and runs a reader.
  void run(host::Routine reader) {
    run_.set_datasets(prices_, memhost::MemoryDataSet::create({}), lines_);
    reader(run_, path_);
  }

  // The order lines after the header, as CSV rows.
  std::string lines_now() {
    std::string csv = memhost::write_csv(lines_.get());
    return csv.substr(csv.find('\n') + 1);
  }

  std::string remembered() {
    return registry().read_string(platform::kHostSettingsKey, "order_import_path");
  }

  host::RunContext run_ = context();
  host::HostRef<memhost::MemoryDataSet> prices_ = testing::test_prices();
  host::HostRef<memhost::MemoryDataSet> lines_ = testing::test_lines();
  std::string path_ = root() + "/order.dbf";
};

}  // namespace pharmex::importing::testing
