#include <gtest/gtest.h>

#include <filesystem>

#include "cli_runner.h"
#include "platform/memory_settings_store.h"
#include "platform/settings_store.h"
#include "platform/scoped_current_directory.h"
#include "testing/test_support.h"

namespace pharmex::cli {
namespace {

using pharmex::testing::run_cli;

std::string example(const char* name) {
  return std::string(PHARMEX_SOURCE_DIR) + "/examples/" + name;
}

class ExportCommandTest : public ::testing::Test {
 protected:
  std::vector<std::string> waybill(std::vector<std::string> more) {
    std::vector<std::string> args = {"export",   "waybill",
                                     "--header", example("waybill_headers.csv"),
                                     "--lines",  example("waybill_lines.csv")};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  // Answering a dialog makes the folder it showed the current directory.
  pharmex::testing::ScopedCurrentDirectory cwd_;
  pharmex::testing::TempDir dir_;
  std::shared_ptr<platform::MemorySettingsStore> registry_ =
      std::make_shared<platform::MemorySettingsStore>();
  platform::ScopedSettingsStore registry_scope_{registry_};
};

TEST_F(ExportCommandTest, ExportsTheExampleWaybillToAFolder) {
  auto result = run_cli(waybill({"--layout", "efarma-sst", "--dir", dir_.path().string()}));
  ASSERT_EQ(result.code, kDone) << result.err;
  std::string path = dir_.file("waybill_4817.SST");
  EXPECT_EQ(result.out, path + "\n");
  std::string file = pharmex::testing::read_file(path);
  EXPECT_EQ(file.rfind("[Header]\r\n4817;01.12.2026;", 0), 0u) << file;
  // The host's key was created by the tool, and the folder remembered in it.
  EXPECT_EQ(registry_->read_string(platform::kHostSettingsKey, "waybill_export_path"),
            dir_.path().string());
}

TEST_F(ExportCommandTest, AnswersTheDialogForAPath) {
  auto result = run_cli(waybill({"--type", "2", "--out", dir_.file("delivery")}));
  ASSERT_EQ(result.code, kDone) << result.err;
  EXPECT_EQ(result.out, dir_.file("delivery.txt") + "\n");
  EXPECT_TRUE(std::filesystem::exists(dir_.file("delivery.txt")));
}

TEST_F(ExportCommandTest, AFailedRunExitsWithOneAndItsMessage) {
  std::string lines = dir_.file("lines.csv");
  pharmex::testing::write_file(lines, "waybillheads_id:integer,price:float,qty:float\n1001,,1\n");
  auto result = run_cli({"export", "waybill", "--header", example("waybill_headers.csv"), "--lines",
                         lines, "--type", "1", "--dir", dir_.path().string()});
  EXPECT_EQ(result.code, kFailed);
  EXPECT_EQ(result.err,
            "pharmex export: Could not convert variant of type (Null) into type (Double)\n");
  EXPECT_FALSE(std::filesystem::exists(dir_.file("waybill_4817.SST")));
}

TEST_F(ExportCommandTest, AMissingFolderIsReported) {
  auto result = run_cli(waybill({"--type", "1", "--dir", dir_.file("nowhere")}));
  EXPECT_EQ(result.code, kFailed);
  EXPECT_NE(result.err.find("no such folder"), std::string::npos);
}

TEST_F(ExportCommandTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(run_cli(waybill({"--type", "9", "--dir", "/tmp"})).code, kUsage);
  EXPECT_EQ(run_cli(waybill({"--layout", "nope", "--dir", "/tmp"})).code, kUsage);
  EXPECT_EQ(run_cli(waybill({"--type", "1"})).code, kUsage);
  EXPECT_EQ(run_cli({"export"}).code, kUsage);
  EXPECT_EQ(run_cli({"export", "invoices"}).code, kUsage);
}

TEST_F(ExportCommandTest, ABrokenCsvFileIsNamed) {
  std::string broken = dir_.file("h.csv");
  pharmex::testing::write_file(broken, "id:integer\nx\n");
  auto result = run_cli({"export", "waybill", "--header", broken, "--lines",
                         example("waybill_lines.csv"), "--dir", dir_.path().string()});
  EXPECT_EQ(result.code, kFailed);
  EXPECT_NE(result.err.find("h.csv:2:1"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace pharmex::cli
