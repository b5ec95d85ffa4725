// The order export through order_export: the lines joined with their own
// order's header, the order column list, the remembered folder.
#include "export/order_export.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/dialog_test_support.h"
#include "exported_table.h"
#include "memhost/csv_reader.h"
#include "pharmex/pharmex.h"
#include "platform/headless_driver.h"

namespace pharmex::exporting {
namespace {

using host::testing::host_events;
using pharmex::testing::ExportedTable;
using Outcome = platform::DialogAnswer::Outcome;

const char* kHeaders =
    "id:integer,native_id:string(20),date:date,suppliers_id:integer,comment:string(40)\n"
    "7,А-17,2026-12-01,3,срочно\n"
    "9,Б-2,2026-12-03,5,\n";
const char* kLineColumns =
    "orderheads_id:integer,art_id:integer,art_name:string(40),qty:float,price:float\n";

class OrderExportTest : public app::testing::DialogTest {
 protected:
  void TearDown() override {
    headers_ = {};
    lines_ = {};
    DialogTest::TearDown();
  }

  void load(const std::string& header_csv, const std::string& line_csv) {
    headers_ = memhost::read_csv(header_csv, "headers.csv");
    lines_ = memhost::read_csv(line_csv, "lines.csv");
  }

  platform::DialogAnswer save_as(const std::string& name) {
    host::Callbacks callbacks = host::testing::recording_callbacks();
    order_export(kHost, headers_.get(), lines_.get(), callbacks.progress, callbacks.start,
                 callbacks.finish);
    return platform::answer_dialog(toolkit(), root() + "/" + name);
  }

  host::HostRef<memhost::MemoryDataSet> headers_;
  host::HostRef<memhost::MemoryDataSet> lines_;
};

TEST_F(OrderExportTest, EachLineCarriesItsOwnOrdersHeader) {
  load(kHeaders, std::string(kLineColumns) +
                     "9,501,Аспирин,2,10.5\n"
                     "7,502,Бинт,1,3\n"
                     "9,503,Йод,4,\n");
  auto answer = save_as("o");
  ASSERT_EQ(answer.outcome, Outcome::kClosed) << answer.message;
  ExportedTable table(root() + "/o.dbf");
  // Header columns first, then the lines'; "comment" and "orderheads_id" are
  // not in the order list.
  EXPECT_EQ(table.fields(), (std::vector<std::string>{
                                "ID N 11/0", "NATIVE_ID C 20/0", "DATE D 8/0", "SUPPL_ID N 11/0",
                                "ART_ID N 11/0", "ART_NAME C 40/0", "QTY F 20/2", "PRICE F 20/2"}));
  EXPECT_EQ(table.column("ID"), (std::vector<std::string>{"9", "7", "9"}));
  EXPECT_EQ(table.column("NATIVE_ID"), (std::vector<std::string>{"Б-2", "А-17", "Б-2"}));
  EXPECT_EQ(table.column("DATE"), (std::vector<std::string>{"20261203", "20261201", "20261203"}));
  EXPECT_EQ(table.column("SUPPL_ID"), (std::vector<std::string>{"5", "3", "5"}));
  EXPECT_EQ(table.column("ART_NAME"), (std::vector<std::string>{"Аспирин", "Бинт", "Йод"}));
  EXPECT_EQ(table.column("PRICE"), (std::vector<std::string>{"10.50", "3.00", "0.00"}));
  EXPECT_EQ(registry().read_string(platform::kHostSettingsKey, "order_export_path"), root());
}

TEST_F(OrderExportTest, ALineWithoutItsOrderIsSkippedAndNotCounted) {
  load(kHeaders, std::string(kLineColumns) +
                     "7,501,Аспирин,2,10.5\n"
                     "8,502,Бинт,1,3\n"
                     "9,503,Йод,4,1\n"
                     "12,504,Вата,1,1\n");
  ASSERT_EQ(save_as("o").outcome, Outcome::kClosed);
  ExportedTable table(root() + "/o.dbf");
  EXPECT_EQ(table.column("ART_ID"), (std::vector<std::string>{"501", "503"}));
  // Two of four lines written: 25, 50, then the final 100 after the loop.
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 25", "progress 4660 50",
                                      "progress 4660 100", "finish 4660"}));
}

TEST_F(OrderExportTest, AnUnlistedColumnNeverLandsInAFieldOfItsFirstTenCharacters) {
  // The lines are copied after the header: "dt_w_first_old" would come last.
  load("id:integer,dateworkfirst:date\n7,2026-12-01\n",
       "orderheads_id:integer,art_id:integer,dt_w_first_old:date\n7,501,2020-01-01\n");
  ASSERT_EQ(save_as("o").outcome, Outcome::kClosed);
  ExportedTable table(root() + "/o.dbf");
  EXPECT_EQ(table.fields(),
            (std::vector<std::string>{"ID N 11/0", "DT_W_FIRST D 8/0", "ART_ID N 11/0"}));
  EXPECT_EQ(table.column("DT_W_FIRST"), std::vector<std::string>{"20261201"});
}

TEST_F(OrderExportTest, AColumnInBothDatasetsMakesTheFieldListInvalid) {
  load(kHeaders, "orderheads_id:integer,Date:date,art_id:integer\n7,2026-12-05,501\n");
  auto answer = save_as("o");
  ASSERT_EQ(answer.outcome, Outcome::kFailed);
  EXPECT_EQ(answer.message, "Field list is invalid");
  EXPECT_FALSE(std::filesystem::exists(root() + "/o.dbf"));
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
  EXPECT_TRUE(platform::dismiss_dialog(toolkit()));
}

TEST_F(OrderExportTest, LinesWithoutTheirOrderColumnFailNamingIt) {
  load(kHeaders, "art_id:integer,qty:float\n501,1\n");
  auto answer = save_as("o");
  ASSERT_EQ(answer.outcome, Outcome::kFailed);
  EXPECT_EQ(answer.message, "The host data have no column 'orderheads_id'");
  EXPECT_EQ(pharmex::testing::folder_entries(root()), std::vector<std::string>{})
      << "no table is left, nor half of one";
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
  EXPECT_TRUE(platform::dismiss_dialog(toolkit()));
}

}  // namespace
}  // namespace pharmex::exporting
