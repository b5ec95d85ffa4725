// The Djinal and Apteka M tables through `pharmex export waybill`: the
// example waybill (examples/) exported and read back with the table engine.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_runner.h"
#include "dbf/dbf_dataset.h"
#include "platform/memory_settings_store.h"
#include "platform/scoped_current_directory.h"
#include "platform/settings_store.h"
#include "testing/test_support.h"

namespace pharmex::cli {
namespace {

using pharmex::testing::run_cli;

std::string example(const char* name) {
  return std::string(PHARMEX_SOURCE_DIR) + "/examples/" + name;
}

class WaybillTablesCliTest : public ::testing::Test {
 protected:
  std::vector<std::string> waybill(const std::string& lines, std::vector<std::string> more) {
    std::vector<std::string> args = {
        "export", "waybill", "--header", example("waybill_headers.csv"), "--lines", lines};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  // Opens a table the tool wrote.
  void open(dbf::TDbfDataSet& table, const std::string& path) {
    table.SetTableName(path);
    table.SetLargeIntegerAs(dbf::TIntFields::asLargeInt);
    table.Open();
  }

  std::string remembered() {
    return registry_->read_string(platform::kHostSettingsKey, "waybill_export_path");
  }

  // Answering the dialog moves the process into the folder it showed, which
  // goes away with the test.
  pharmex::testing::ScopedCurrentDirectory cwd_;
  pharmex::testing::TempDir dir_;
  std::shared_ptr<platform::MemorySettingsStore> registry_ =
      std::make_shared<platform::MemorySettingsStore>();
  Service<platform::SettingsStore>::Scoped registry_scope_{registry_};
};

// The example has seven lines: one of price 0 and one of a waybill the
// headers lack are not written.
TEST_F(WaybillTablesCliTest, ExportsTheExampleAsDjinalToAFolder) {
  auto result = run_cli(
      waybill(example("waybill_lines.csv"), {"--type", "4", "--dir", dir_.path().string()}));
  ASSERT_EQ(result.code, kDone) << result.err;
  std::string path = dir_.file("waybill_4817.dbf");
  EXPECT_EQ(result.out, path + "\n");
  dbf::TDbfDataSet table;
  open(table, path);
  ASSERT_EQ(table.RecordCount(), 5);
  EXPECT_EQ(table.FieldByName("NDOC").Value().to_text(table.Settings()), u"4817");
  EXPECT_EQ(table.FieldByName("QNTPACK").Value().to_int64(table.Settings()), 28);
  for (int n = 1; n <= 5; ++n, table.Next()) {
    SCOPED_TRACE(n);
    // Every line of the file, written or not, is in the total.
    EXPECT_DOUBLE_EQ(table.FieldByName("SUMPAY").Value().to_double(table.Settings()), 4613.75);
    EXPECT_EQ(table.FieldByName("NDOC").Value().to_text(table.Settings()),
              n == 4 ? u"А-17" : u"4817");
  }
  EXPECT_EQ(remembered(), "");  // the partner tables remember no folder
}

TEST_F(WaybillTablesCliTest, ExportsTheExampleAsAptekaMThroughTheDialog) {
  auto result = run_cli(
      waybill(example("waybill_lines.csv"), {"--layout", "apteka-m", "--out", dir_.file("m")}));
  ASSERT_EQ(result.code, kDone) << result.err;
  EXPECT_EQ(result.out, dir_.file("m.dbf") + "\n");
  dbf::TDbfDataSet table;
  open(table, dir_.file("m.dbf"));
  ASSERT_EQ(table.RecordCount(), 5);
  EXPECT_EQ(table.FieldByName("NAME").Value().to_text(table.Settings()),
            u"Аспирин Кардио таб. 100мг №28");
  EXPECT_EQ(table.FieldByName("CODEPST").Value().to_int64(table.Settings()), 50211);
  EXPECT_DOUBLE_EQ(table.FieldByName("SUMM").Value().to_double(table.Settings()), 1564);
  EXPECT_EQ(remembered(), "");
}

TEST_F(WaybillTablesCliTest, AnEmptyBoxFailsWithItsMessage) {
  std::string lines = dir_.file("lines.csv");
  pharmex::testing::write_file(lines, pharmex::testing::read_file(example("waybill_lines.csv")) +
                                          "1001,10,1,0,90001,Без упаковки,Фарм,,,,,,,,,\n");
  const std::string target = dir_.file("waybill_4817.dbf");
  pharmex::testing::write_file(target, "yesterday's waybill");
  auto result = run_cli(waybill(lines, {"--layout", "djinal", "--dir", dir_.path().string()}));
  EXPECT_EQ(result.code, kFailed);
  EXPECT_EQ(result.err,
            "pharmex export: Could not convert variant of type (Null) into type (Integer)\n");
  // The partner finds yesterday's waybill, not the records before the
  // failing line, and nothing else beside it.
  EXPECT_EQ(pharmex::testing::read_file(target), "yesterday's waybill");
  EXPECT_EQ(pharmex::testing::folder_entries(dir_.path()),
            (std::vector<std::string>{"lines.csv", "waybill_4817.dbf"}));
}

// A run killed while it wrote the waybill left its files under temporary
// names; the next export into the folder clears them, and its own, and
// leaves the partner the waybill alone.
TEST_F(WaybillTablesCliTest, TheNextExportClearsWhatAKilledRunLeft) {
  const std::vector<std::string> left = {".~pharmex-00000000000000aa.lock",
                                         ".~pharmex-00000000000000aa.memo",
                                         ".~pharmex-00000000000000aa.table"};
  for (const std::string& name : left)
    pharmex::testing::write_file(dir_.file(name), "what the killed run had written");
  auto result = run_cli(
      waybill(example("waybill_lines.csv"), {"--layout", "djinal", "--dir", dir_.path().string()}));
  ASSERT_EQ(result.code, kDone) << result.err;
  EXPECT_EQ(pharmex::testing::folder_entries(dir_.path()),
            std::vector<std::string>{"waybill_4817.dbf"});
}

}  // namespace
}  // namespace pharmex::cli
