#include "app/layout_dispatcher.h"

#include <gtest/gtest.h>

#include "app/dialog_test_support.h"

namespace pharmex::app {
namespace {

using testing::probe;
using testing::test_kind;

struct ExtensionCase {
  std::string path;
  std::string mask;
  std::string result;
};

void PrintTo(const ExtensionCase& c, std::ostream* os) {
  *os << '"' << c.path << "\" with " << c.mask;
}

class ExtensionRuleTest : public ::testing::TestWithParam<ExtensionCase> {};

TEST_P(ExtensionRuleTest, AppendsTheMasksExtensionOnlyToANameWithoutOne) {
  EXPECT_EQ(with_type_extension(GetParam().path, GetParam().mask), GetParam().result);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExtensionRuleTest,
    ::testing::Values(ExtensionCase{"/out/supplier", "*.dbf", "/out/supplier.dbf"},
                      ExtensionCase{"/out/list.txt", "*.dbf", "/out/list.txt"},
                      ExtensionCase{"/out/day", "*.SST", "/out/day.SST"},
                      ExtensionCase{"/out/waybill_12.5", "*.txt", "/out/waybill_12.5"},
                      ExtensionCase{"/out.d/waybill", "*.dbf", "/out.d/waybill.dbf"},
                      ExtensionCase{"/out/name.", "*.dbf", "/out/name."},
                      ExtensionCase{"/out/all", "*", "/out/all"},
                      ExtensionCase{"/out/two", "*.tar.gz", "/out/two.gz"}));

class DispatchTest : public testing::DialogTest {
 protected:
  // The test kind's type `index` selected and `path` chosen.
  std::string dispatch(int index, const std::string& path) {
    host::RunContext run = context();
    return dispatch_layout(test_kind(), index, path, run);
  }
};

TEST_F(DispatchTest, RunsTheRoutineOfTheSelectedIndex) {
  EXPECT_EQ(dispatch(1, "/out/notes"), "/out/notes.txt");
  EXPECT_EQ(dispatch(0, "/out/table"), "/out/table.dbf");
  EXPECT_EQ(probe().runs, (std::vector<std::string>{"1 /out/notes.txt", "0 /out/table.dbf"}));
}

TEST_F(DispatchTest, AnIndexWithoutARoutineRunsNothing) {
  EXPECT_EQ(dispatch(2, "/out/x"), "");   // a type without a routine
  EXPECT_EQ(dispatch(-1, "/out/x"), "");  // nothing selected
  EXPECT_EQ(dispatch(9, "/out/x"), "");   // outside the list
  EXPECT_TRUE(probe().runs.empty());
}

}  // namespace
}  // namespace pharmex::app
