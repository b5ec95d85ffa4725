// The generic waybill table (file types 0 and 3 of the waybill dialog): the
// waybill column list over both datasets, the line filter, the join with the
// header, and the same file for both types.
#include "export/generic_waybill_table.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/dialog_test_support.h"
#include "exported_table.h"
#include "memhost/csv_reader.h"
#include "pharmex/pharmex.h"
#include "platform/headless_driver.h"
#include "waybill_fixture.h"

namespace pharmex::exporting {
namespace {

using host::testing::host_events;
using pharmex::testing::ExportedTable;
using pharmex::testing::read_file;
using pharmex::testing::waybill_headers;
using pharmex::testing::waybill_lines;
using Outcome = platform::DialogAnswer::Outcome;

const char* kHeaders =
    "1,А-17,2026-12-01,Поставка по заказу 77\n"
    "2,Б-5,2026-12-02,Возврат\n";

std::string line(const std::string& waybill, const std::string& price, const std::string& art) {
  return waybill + "," + price + ",10,10," + art +
         ",Аспирин,Байер,Германия,28,BTA1,2026-01-15,2029-01-15,,РОСС,2027-01-15,4008500121236\n";
}

class GenericWaybillTableTest : public app::testing::DialogTest {
 protected:
  void TearDown() override {
    headers_ = {};
    lines_ = {};
    DialogTest::TearDown();
  }

  platform::DialogAnswer save_as(const std::string& name, int index) {
    host::Callbacks callbacks = host::testing::recording_callbacks();
    waybill_export(kHost, headers_.get(), lines_.get(), callbacks.progress, callbacks.start,
                   callbacks.finish);
    return platform::answer_dialog(toolkit(), root() + "/" + name, index);
  }

  ExportedTable saved(const std::string& name, int index = 0) {
    auto answer = save_as(name, index);
    EXPECT_EQ(answer.outcome, Outcome::kClosed) << answer.message;
    return ExportedTable(root() + "/" + name + ".dbf");
  }

  std::string remembered() {
    return registry().read_string(platform::kHostSettingsKey, "waybill_export_path");
  }

  host::HostRef<memhost::MemoryDataSet> headers_ = waybill_headers(kHeaders);
  host::HostRef<memhost::MemoryDataSet> lines_;
};

TEST_F(GenericWaybillTableTest, DescribesTheListedColumnsOfBothDatasets) {
  lines_ = waybill_lines(line("1", "15.5", "501"));
  ExportedTable table = saved("w");
  // Header columns first; "waybillheads_id" is not listed.
  EXPECT_EQ(
      table.fields(),
      (std::vector<std::string>{
          "ID N 11/0", "NATIVE_ID C 20/0", "DATE D 8/0", "DESCR C 100/0", "PRICE F 20/2",
          "QTY F 20/2", "NDS F 20/2", "ART_ID N 11/0", "ART_NAME C 80/0", "MAKER C 40/0",
          "COUNTRY C 15/0", "BOX F 20/2", "SERIAL C 20/0", "DT_W_FIRST D 8/0", "DT_W_LAST D 8/0",
          "GTD C 30/0", "SERT_NAME C 80/0", "DT_S_LAST D 8/0", "EAN13 C 13/0"}));
  EXPECT_EQ(table.column("DESCR"), std::vector<std::string>{"Поставка по заказу 77"});
  EXPECT_EQ(table.column("PRICE"), std::vector<std::string>{"15.50"});
  EXPECT_EQ(table.column("DT_S_LAST"), std::vector<std::string>{"20270115"});
  EXPECT_EQ(remembered(), root());
}

TEST_F(GenericWaybillTableTest, WritesOnlyPricedLinesOfKnownWaybillsWithTheirOwnHeader) {
  lines_ = waybill_lines(line("2", "15", "501") + line("1", "0", "502") + line("1", "-3", "503") +
                         line("1", "", "504") + line("9", "20", "505") + line("1", "7", "506") +
                         line("2", "1", "507"));
  ExportedTable table = saved("w");
  EXPECT_EQ(table.column("ART_ID"), (std::vector<std::string>{"501", "506", "507"}));
  EXPECT_EQ(table.column("ID"), (std::vector<std::string>{"2", "1", "2"}));
  EXPECT_EQ(table.column("NATIVE_ID"), (std::vector<std::string>{"Б-5", "А-17", "Б-5"}));
  EXPECT_EQ(table.column("DATE"), (std::vector<std::string>{"20261202", "20261201", "20261202"}));
  // 3 of 7 lines written: 14, 28, 42, then 100 after the loop.
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 14", "progress 4660 28",
                                      "progress 4660 42", "progress 4660 100", "finish 4660"}));
}

// Its four columns once per run of lines of one waybill, three runs here; the
// dialog's proposed name read "native_id" once before.
TEST_F(GenericWaybillTableTest, ReadsAHeaderOnceForTheLinesOfItsWaybillThatFollowOneAnother) {
  lines_ = waybill_lines(line("1", "1", "501") + line("1", "2", "502") + line("2", "3", "503") +
                         line("2", "0", "504") + line("2", "4", "505") + line("1", "5", "506"));
  ExportedTable table = saved("w");
  EXPECT_EQ(table.column("ID"), (std::vector<std::string>{"1", "1", "2", "2", "1"}));
  EXPECT_EQ(table.column("NATIVE_ID"),
            (std::vector<std::string>{"А-17", "А-17", "Б-5", "Б-5", "А-17"}));
  EXPECT_EQ(table.column("DATE"),
            (std::vector<std::string>{"20261201", "20261201", "20261202", "20261202", "20261201"}));
  EXPECT_EQ(headers_->calls(memhost::Operation::Locate), 3);
  EXPECT_EQ(headers_->calls(memhost::Operation::Value), 1 + 3 * 4);
}

TEST_F(GenericWaybillTableTest, FourLinesOneSkippedReportQuarters) {
  lines_ = waybill_lines(line("1", "1", "1") + line("1", "1", "2") + line("1", "1", "3") +
                         line("1", "0", "4"));
  saved("w");
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 25", "progress 4660 50",
                                      "progress 4660 75", "progress 4660 100", "finish 4660"}));
}

TEST_F(GenericWaybillTableTest, ListedNamesMatchWithoutRegardToCase) {
  lines_ = memhost::read_csv(
      "WaybillHeads_ID:integer,PRICE:float,ART_NAME:string(30),Nds:float,Serial_No:string(9)\n"
      "1,2,Йод,10,X1\n",
      "lines.csv");
  ExportedTable table = saved("w");
  EXPECT_EQ(table.fields(), (std::vector<std::string>{"ID N 11/0", "NATIVE_ID C 20/0", "DATE D 8/0",
                                                      "DESCR C 100/0", "PRICE F 20/2",
                                                      "ART_NAME C 30/0", "NDS F 20/2"}));
}

TEST_F(GenericWaybillTableTest, TheMakerPriceColumnsReachTheirShortenedFields) {
  // The unlisted columns after them share the first ten characters of a
  // field's name, but only the long names of the field-name table are cut.
  lines_ = memhost::read_csv(
      "waybillheads_id:integer,price:float,MakerPrice:float,MakerPrice_without_nds:float,"
      "Round_MakerPrice_without_nds:float,Price_WithOut_Nds:float,dateworkfirst:date,"
      "dt_w_first_old:date,RndMkPrOutNds_old:float\n"
      "1,110,100,90.91,91,100,2026-01-15,2020-01-01,7\n"
      "2,55,50,45.45,45,50,,2020-01-01,7\n",
      "lines.csv");
  ExportedTable table = saved("w");
  EXPECT_EQ(table.fields(), (std::vector<std::string>{
                                "ID N 11/0", "NATIVE_ID C 20/0", "DATE D 8/0", "DESCR C 100/0",
                                "PRICE F 20/2", "MKPRICE F 20/2", "MKPROUTNDS F 20/2",
                                "RNDMKPROUT F 20/2", "PRWOUTNDS F 20/2", "DT_W_FIRST D 8/0"}));
  EXPECT_EQ(table.column("MKPROUTNDS"), (std::vector<std::string>{"90.91", "45.45"}));
  // The field keeps only ten characters of "RndMkPrOutNds"; its values arrive all the same.
  EXPECT_EQ(table.column("RNDMKPROUT"), (std::vector<std::string>{"91.00", "45.00"}));
  EXPECT_EQ(table.column("DT_W_FIRST"), (std::vector<std::string>{"20260115", ""}));
}

TEST_F(GenericWaybillTableTest, ALineColumnOfAFieldsNameReplacesTheHeadersValue) {
  // "orderdescr" of the header is listed and becomes DESCR; the lines' own,
  // unlisted "descr" is copied after it into the same field.
  lines_ = memhost::read_csv(
      "waybillheads_id:integer,price:float,descr:string(100)\n1,2,Своя строка\n1,3,\n",
      "lines.csv");
  ExportedTable table = saved("w");
  EXPECT_EQ(table.column("DESCR"), (std::vector<std::string>{"Своя строка", ""}));
}

TEST_F(GenericWaybillTableTest, GornyVershiniWritesTheSameFileAsType0) {
  lines_ = waybill_lines(line("1", "15.5", "501") + line("2", "3", "502"));
  std::string dbf4 = saved("dbf4", 0).bytes();
  std::string gorny = saved("gorny", 3).bytes();
  ASSERT_EQ(dbf4.size(), gorny.size());
  // Bytes 1-3 and 16-19 of the header stamp the date and time of the last write.
  for (size_t at : {1, 2, 3, 16, 17, 18, 19})
    dbf4[at] = gorny[at] = 0;
  EXPECT_TRUE(dbf4 == gorny);
  EXPECT_EQ(remembered(), root());
}

TEST_F(GenericWaybillTableTest, AnIdInBothDatasetsMakesTheFieldListInvalid) {
  lines_ = memhost::read_csv("id:integer,waybillheads_id:integer,price:float\n5,1,2\n", "l.csv");
  auto answer = save_as("w", 3);
  ASSERT_EQ(answer.outcome, Outcome::kFailed);
  EXPECT_EQ(answer.message, "Field list is invalid");
  EXPECT_FALSE(std::filesystem::exists(root() + "/w.dbf"));
  EXPECT_EQ(remembered(), root());
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
  EXPECT_TRUE(platform::dismiss_dialog(toolkit()));
}

TEST_F(GenericWaybillTableTest, ToPathWritesTheTableNamedAfterTheWaybill) {
  lines_ = waybill_lines(line("1", "15.5", "501"));
  host::Callbacks callbacks = host::testing::recording_callbacks();
  waybill_export_ToPath(kHost, headers_.get(), lines_.get(), callbacks.progress, callbacks.start,
                        callbacks.finish, (root() + "/").c_str(), 3);
  EXPECT_STREQ(pharmex_last_error(), "");
  EXPECT_EQ(ExportedTable(root() + "/waybill_А-17.dbf").column("ART_ID"),
            std::vector<std::string>{"501"});
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 0", "progress 0 100", "finish 0"}));
}

// Exports run to hundreds of thousands of rows: columns and fields are
// looked up once per run, never per row.
TEST_F(GenericWaybillTableTest, LooksColumnsUpOncePerRun) {
  auto lookups = [](const memhost::MemoryDataSet& data) {
    using memhost::Operation;
    return data.calls(Operation::GetField) + data.calls(Operation::FieldByName) +
           data.calls(Operation::Name) + data.calls(Operation::DataType) +
           data.calls(Operation::Size);
  };
  lines_ = waybill_lines(line("1", "1", "1"));
  saved("one");
  int64_t for_one = lookups(*lines_);
  std::string many;
  for (int i = 0; i < 50; ++i)
    many += line(i % 2 ? "1" : "2", "1", std::to_string(i));
  lines_ = waybill_lines(many);
  EXPECT_EQ(saved("many").record_count(), 50u);
  EXPECT_EQ(lookups(*lines_), for_one);
}

}  // namespace
}  // namespace pharmex::exporting
