// The price exports through price_export and price_export_to_file: the
// generic price table's columns, and what each of the three layouts
// remembers.
#include "export/price_export.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "exported_table.h"
#include "price_fixture.h"

namespace pharmex::exporting {
namespace {

using host::testing::host_events;
using pharmex::testing::ExportedTable;
using pharmex::testing::kAspirin;
using pharmex::testing::kBandage;
using Outcome = platform::DialogAnswer::Outcome;

class PriceExportTest : public pharmex::testing::PriceExportFixture {};

TEST_F(PriceExportTest, TheGenericTableKeepsTheListedColumnsInTheHostsOrder) {
  load(std::string(kAspirin) + kBandage);
  auto answer = save_as("price", 0);
  ASSERT_EQ(answer.outcome, Outcome::kClosed) << answer.message;
  ExportedTable table(root() + "/price.dbf");
  // "country" and "ean13" are not in the price list.
  EXPECT_EQ(table.fields(),
            (std::vector<std::string>{
                "SUPPL_ID N 11/0", "ART_ID N 11/0", "ART_NAME C 120/0", "MAKER C 60/0",
                "BOX F 20/2", "DT_W_FIRST D 8/0", "DT_W_LAST D 8/0", "PRICE F 20/2", "NDS F 20/2",
                "GRP1_NAME C 30/0", "IS_ADVERT L 1/0", "REMNDR F 20/2", "REMNDR_WT F 20/2"}));
  ASSERT_EQ(table.record_count(), 2u);
  EXPECT_EQ(table.column("ART_NAME"), (std::vector<std::string>{"Аспирин Кардио таб. 100мг №28",
                                                                "Бинт стерильный 7м х 14см"}));
  EXPECT_EQ(table.column("DT_W_FIRST"), (std::vector<std::string>{"20260115", ""}));
  EXPECT_EQ(table.column("PRICE"), (std::vector<std::string>{"156.40", "0.00"}));
  EXPECT_EQ(table.column("IS_ADVERT"), (std::vector<std::string>{"T", "F"}));
  EXPECT_EQ(table.column("REMNDR"), (std::vector<std::string>{"120.00", "0.00"}));
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "progress 4660 50",
                                                     "progress 4660 100", "finish 4660"}));
}

TEST_F(PriceExportTest, ColumnNamesMatchTheListWithoutRegardToCase) {
  load("1,12.5,9\n", "ART_ID:integer,Price:float,Country:integer\n");
  ASSERT_EQ(save_as("price", 0).outcome, Outcome::kClosed);
  ExportedTable table(root() + "/price.dbf");
  EXPECT_EQ(table.fields(), (std::vector<std::string>{"ART_ID N 11/0", "PRICE F 20/2"}));
  EXPECT_EQ(table.column("PRICE"), std::vector<std::string>{"12.50"});
}

TEST_F(PriceExportTest, AnUnlistedColumnNeverLandsInAFieldOfItsFirstTenCharacters) {
  load("2026-01-15,2020-01-01\n", "dateworkfirst:date,dt_w_first_old:date\n");
  ASSERT_EQ(save_as("price", 0).outcome, Outcome::kClosed);
  ExportedTable table(root() + "/price.dbf");
  EXPECT_EQ(table.fields(), std::vector<std::string>{"DT_W_FIRST D 8/0"});
  EXPECT_EQ(table.column("DT_W_FIRST"), std::vector<std::string>{"20260115"});
}

TEST_F(PriceExportTest, AListWithoutPriceColumnsWritesNoFileButRemembersTheFolder) {
  load("4601234567890\n", "ean13:string(13)\n");
  auto answer = save_as("price", 0);
  ASSERT_EQ(answer.outcome, Outcome::kFailed);
  EXPECT_EQ(answer.message, "Field list is invalid");
  EXPECT_FALSE(std::filesystem::exists(root() + "/price.dbf"));
  EXPECT_EQ(remembered(), root());
  EXPECT_TRUE(platform::dismiss_dialog(toolkit()));
}

TEST_F(PriceExportTest, ToFileWritesTheGenericTableUnderThePathAsGiven) {
  load(kAspirin);
  std::filesystem::create_directory(root() + "/out");
  std::string path = root() + "/out/list.txt";
  price_export_to_file(prices_.get(), path.c_str());
  EXPECT_STREQ(pharmex_last_error(), "");
  EXPECT_EQ(ExportedTable(path).column("ART_ID"), std::vector<std::string>{"50211"});
  EXPECT_TRUE(host_events().empty()) << "no callbacks without a dialog";
  EXPECT_EQ(remembered(), root() + "/out");
}

TEST_F(PriceExportTest, ToFilePassesAFailureOnToTheHost) {
  load("1\n", "id:integer\n");
  price_export_to_file(prices_.get(), (root() + "/p.dbf").c_str());
  EXPECT_STREQ(pharmex_last_error(), "Field list is invalid");
  EXPECT_FALSE(std::filesystem::exists(root() + "/p.dbf"));
}

// Per layout: the file written for a name typed without extension, and
// whether the folder is remembered.
struct LayoutCase {
  int index;
  bool remembers;
};

class PriceLayoutTest : public PriceExportTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(PriceLayoutTest, AddsTheExtensionAndRemembersTheFolderWhereTheLayoutDoes) {
  registry().write_string(platform::kHostSettingsKey, "price_export_path", "/earlier");
  std::filesystem::create_directory(root() + "/out");
  load(kAspirin);
  auto answer = save_as("out/prices", GetParam().index);
  ASSERT_EQ(answer.outcome, Outcome::kClosed) << answer.message;
  EXPECT_EQ(ExportedTable(root() + "/out/prices.dbf").record_count(), 1u);
  EXPECT_EQ(remembered(), GetParam().remembers ? root() + "/out" : "/earlier");
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 100", "finish 4660"}));
}

std::string layout_name(const ::testing::TestParamInfo<LayoutCase>& info) {
  static const char* const kNames[] = {"Generic", "Khabarovsk", "Unico"};
  return kNames[info.param.index];
}

INSTANTIATE_TEST_SUITE_P(Layouts, PriceLayoutTest,
                         ::testing::Values(LayoutCase{0, true}, LayoutCase{1, false},
                                           LayoutCase{2, true}),
                         layout_name);

}  // namespace
}  // namespace pharmex::exporting
