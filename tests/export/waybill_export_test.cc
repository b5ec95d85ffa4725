// The waybill text layouts reached through the entry points: the dialog-less
// waybill_export_ToPath and the waybill dialog answered as a user would.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/dialog_test_support.h"
#include "pharmex/pharmex.h"
#include "platform/headless_driver.h"
#include "waybill_fixture.h"

namespace pharmex::exporting {
namespace {

using host::testing::host_events;
using host::testing::recording_callbacks;
using pharmex::testing::read_file;
using pharmex::testing::waybill_headers;
using pharmex::testing::waybill_lines;

const char* kHeader = "1,17,2009-03-05,first\n";
const char* kLine = "1,15,10,10,501,Test,MAKER,,,,,,,,,\n";

class WaybillExportTest : public app::testing::DialogTest {
 protected:
  void to_path(const std::string& folder, int index) {
    host::Callbacks callbacks = recording_callbacks();
    waybill_export_ToPath(kHost, headers_.get(), lines_.get(), callbacks.progress, callbacks.start,
                          callbacks.finish, folder.c_str(), index);
  }

  void open_dialog() {
    host::Callbacks callbacks = recording_callbacks();
    waybill_export(kHost, headers_.get(), lines_.get(), callbacks.progress, callbacks.start,
                   callbacks.finish);
  }

  void TearDown() override {
    headers_ = {};
    lines_ = {};
    DialogTest::TearDown();
  }

  std::string remembered() {
    return registry().read_string(platform::kHostSettingsKey, "waybill_export_path");
  }

  host::HostRef<memhost::MemoryDataSet> headers_ = waybill_headers(kHeader);
  host::HostRef<memhost::MemoryDataSet> lines_ = waybill_lines(kLine);
};

TEST_F(WaybillExportTest, ToPathWritesTheProposedNameWithTheTypesExtension) {
  to_path(root() + "/", 1);
  EXPECT_STREQ(pharmex_last_error(), "");
  std::string file = read_file(root() + "/waybill_17.SST");
  EXPECT_EQ(file.rfind("[Header]\r\n", 0), 0u);
  EXPECT_NE(file.find("501;TEST;MAKER;"), std::string::npos);
  // The text layouts call only start, with no window when there is no dialog.
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 0"}));
  EXPECT_EQ(remembered(), root());
}

TEST_F(WaybillExportTest, ToPathWithoutTheTrailingSeparatorJoinsPlainly) {
  std::filesystem::create_directory(root() + "/out");
  to_path(root() + "/out", 2);
  EXPECT_TRUE(std::filesystem::exists(root() + "/outwaybill_17.txt"));
}

TEST_F(WaybillExportTest, ToPathFailureReachesTheHostAndWritesNothing) {
  lines_ = waybill_lines("1,,10,10,501,Test,MAKER,,,,,,,,,\n");
  to_path(root() + "/", 2);
  EXPECT_STREQ(pharmex_last_error(), "Could not convert variant of type (Null) into type (Double)");
  EXPECT_FALSE(std::filesystem::exists(root() + "/waybill_17.txt"));
  EXPECT_EQ(remembered(), "");
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 0"}));
}

TEST_F(WaybillExportTest, ToPathWithAnIndexOutsideTheListFailsClearly) {
  to_path(root() + "/", 6);
  EXPECT_STREQ(pharmex_last_error(), "File type 6 is not one of the layouts 0 to 5");
  EXPECT_TRUE(host_events().empty());
  EXPECT_TRUE(std::filesystem::is_empty(root()));
}

TEST_F(WaybillExportTest, TheDialogRunsTheChosenTextLayout) {
  open_dialog();
  auto answer = platform::answer_dialog(toolkit(), root() + "/delivery", 2);
  ASSERT_EQ(answer.outcome, platform::DialogAnswer::Outcome::kClosed) << answer.message;
  EXPECT_TRUE(std::filesystem::exists(root() + "/delivery.txt"));
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660"}));
  EXPECT_EQ(remembered(), root());
}

TEST_F(WaybillExportTest, AFailedRunKeepsTheDialogOpenAndAnEarlierFileIntact) {
  pharmex::testing::write_file(root() + "/delivery.SST", "yesterday's waybill");
  lines_ = waybill_lines("1,15,10,10,501,Test,,,,,,,,,,\n");  // null maker
  open_dialog();
  auto answer = platform::answer_dialog(toolkit(), root() + "/delivery", 1);
  ASSERT_EQ(answer.outcome, platform::DialogAnswer::Outcome::kFailed);
  EXPECT_EQ(answer.message, "Could not convert variant of type (Null) into type (String)");
  EXPECT_EQ(read_file(root() + "/delivery.SST"), "yesterday's waybill");
  EXPECT_EQ(remembered(), "");
  EXPECT_TRUE(platform::dismiss_dialog(toolkit()));
}

}  // namespace
}  // namespace pharmex::exporting
