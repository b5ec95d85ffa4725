// What validate says the import would do with each record of an order file,
// given the price list: the example DBF 4 order against the example price
// list, its first record damaged, as the import would meet it.
#include <gtest/gtest.h>

#include <string>

#include "host/run_test_support.h"
#include "memhost/csv_reader.h"
#include "reliability/layouts.h"
#include "testing/test_support.h"
#include "validate/validate_support.h"

namespace pharmex::validate {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::write_file;

struct ImportCase {
  const char* what;
  std::string quantity;  // record 1's QTY (bytes 449 + 209, 11 wide); "" as it is
  int64_t record;
  const char* problem;
};

void PrintTo(const ImportCase& c, std::ostream* out) {
  *out << c.what;
}

class ImportCheckTest : public host::testing::RunTest,
                        public ::testing::WithParamInterface<ImportCase> {};

TEST_P(ImportCheckTest, SaysWhatTheImportWouldDoWithTheRecord) {
  const ImportCase& test = GetParam();
  std::string bytes = read_file(reliability::example_path("order_dbf4.dbf"));
  if (!test.quantity.empty()) bytes.replace(449 + 209, 11, test.quantity);
  const std::string path = root() + "/order.dbf";
  write_file(path, bytes);
  const ValidationReport report = testing::validate(
      path, "import-dbf4", memhost::open_csv_file(reliability::example_path("order_prices.csv")));
  const Finding* finding = testing::finding_at(report, std::nullopt, test.problem);
  ASSERT_NE(finding, nullptr) << "no \"" << test.problem << "\":\n" << testing::listed(report);
  EXPECT_EQ(finding->number, test.record);
  EXPECT_EQ(finding->place, Finding::Place::record);
}

// Record 3 (supplier 7, article 50877) is not in the price list.
INSTANTIATE_TEST_SUITE_P(
    OrderFile, ImportCheckTest,
    ::testing::Values(
        ImportCase{"no_such_article", "", 3,
                   "the price list has no article 50877 of supplier 7: the import passes the "
                   "record over"},
        ImportCase{"no_quantity", std::string(11, ' '), 1, "no quantity: it reads as 0"},
        ImportCase{"quantity_below_zero", "         -2", 1,
                   "the quantity -2 is below 0: the import lowers the ordered quantity"},
        ImportCase{"unreadable_quantity", "        2,5", 1,
                   "the import stops here: Invalid numeric value in field order->QTY (2,5)"}),
    [](const ::testing::TestParamInfo<ImportCase>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace pharmex::validate
