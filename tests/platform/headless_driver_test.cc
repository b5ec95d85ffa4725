#include "platform/headless_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "core/error.h"
#include "platform/headless_toolkit.h"
#include "platform/scoped_current_directory.h"
#include "testing/test_support.h"

namespace pharmex::platform {
namespace {

namespace fs = std::filesystem;
using Outcome = DialogAnswer::Outcome;
using testing::ScopedCurrentDirectory;
using testing::TempDir;

// A dialog as the library builds one, reduced to what the driver meets: the
// confirm button enabled only with a name, a close handler that "runs" the
// chosen path (failing for names starting with "fail") and frees the form.
class HeadlessDriverTest : public ::testing::Test {
 protected:
  HeadlessDriverTest() : root_(fs::canonical(dir_.path()).string()) {
    fs::create_directory(root_ + "/out");
  }

  void show_dialog() {
    std::unique_ptr<ShellForm> form = toolkit_.create_shell_form();
    ShellForm& f = *form;
    f.set_title("Save As");
    f.set_initial_folder(root_);
    f.cbxFileTypes().add({"Tables", "*.dbf"});
    f.cbxFileTypes().add({"Text", "*.txt"});
    f.cbxFileTypes().set_item_index(0);
    f.cbxFileTypesSelEndOk();
    f.edtFileName().set_on_change(
        [&f] { f.btnOpen().set_enabled(!f.edtFileName().text().empty()); });
    f.edtFileName().on_change()();
    f.btnOpen().set_on_click([&f] { f.close(CloseMode::kAccept); });
    f.btnCancel().set_on_click([&f] { f.close(CloseMode::kDismiss); });
    f.set_on_close([this, &f](CloseAction& action) {
      if (f.file_name().find("/fail") != std::string::npos && !dismissing_) {
        raise<Error>("Cannot write %s", {f.file_name()});
      }
      chosen_ = f.file_name();
      type_ = f.cbxFileTypes().item_index();
      action = CloseAction::kFree;
    });
    toolkit_.show_modeless(std::move(form));
  }

  ScopedCurrentDirectory cwd_;
  TempDir dir_;
  std::string root_;
  HeadlessToolkit toolkit_;
  std::string chosen_;
  int type_ = -1;
  bool dismissing_ = false;
};

TEST_F(HeadlessDriverTest, WithoutADialogThereIsNothingToAnswer) {
  DialogAnswer answer = answer_dialog(toolkit_, "a.dbf");
  EXPECT_EQ(answer.outcome, Outcome::kNoDialog);
  EXPECT_FALSE(dismiss_dialog(toolkit_));
}

TEST_F(HeadlessDriverTest, AnAbsolutePathOpensItsFolderAndTheDialogCloses) {
  show_dialog();
  DialogAnswer answer = answer_dialog(toolkit_, root_ + "/out/list.txt", 1);
  EXPECT_EQ(answer.outcome, Outcome::kClosed);
  EXPECT_EQ(answer.message, "");
  EXPECT_EQ(chosen_, root_ + "/out/list.txt");
  EXPECT_EQ(type_, 1);
  EXPECT_EQ(fs::current_path().string(), root_ + "/out") << "the user browsed to the folder";
  EXPECT_TRUE(toolkit_.open_forms().empty());
}

TEST_F(HeadlessDriverTest, AnAbsolutePathInAMissingFolderIsTypedWhole) {
  show_dialog();
  DialogAnswer answer = answer_dialog(toolkit_, root_ + "/new/a.dbf");
  EXPECT_EQ(answer.outcome, Outcome::kClosed);
  EXPECT_EQ(chosen_, root_ + "/new/a.dbf");
  EXPECT_EQ(fs::current_path().string(), root_);
}

TEST_F(HeadlessDriverTest, ARelativePathIsTakenInTheFolderShown) {
  show_dialog();
  EXPECT_EQ(answer_dialog(toolkit_, "out/a").outcome, Outcome::kClosed);
  EXPECT_EQ(chosen_, root_ + "/out/a");
}

TEST_F(HeadlessDriverTest, AFailedRunReportsTheErrorBoxAndLeavesTheDialogOpen) {
  show_dialog();
  DialogAnswer answer = answer_dialog(toolkit_, root_ + "/out/fail.dbf");
  EXPECT_EQ(answer.outcome, Outcome::kFailed);
  EXPECT_EQ(answer.message, "Cannot write " + root_ + "/out/fail.dbf");
  ASSERT_EQ(toolkit_.open_forms().size(), 1u);
  EXPECT_EQ(answer_dialog(toolkit_, "ok.dbf").outcome, Outcome::kClosed);
  EXPECT_EQ(chosen_, root_ + "/out/ok.dbf");
}

TEST_F(HeadlessDriverTest, RefusalsReportTheMessageBoxIfAnyAndLeaveTheDialogOpen) {
  show_dialog();
  DialogAnswer invalid = answer_dialog(toolkit_, "a\tb");
  EXPECT_EQ(invalid.outcome, Outcome::kRefused);
  EXPECT_EQ(invalid.message, "a\tb\nThe above file name is invalid.");
  DialogAnswer mask = answer_dialog(toolkit_, "*.txt");
  EXPECT_EQ(mask.outcome, Outcome::kRefused);
  EXPECT_EQ(mask.message, "");
  DialogAnswer empty = answer_dialog(toolkit_, "");
  EXPECT_EQ(empty.outcome, Outcome::kRefused);
  EXPECT_EQ(empty.message, "");
  EXPECT_THROW(answer_dialog(toolkit_, "a.dbf", 5), std::out_of_range);
  EXPECT_EQ(chosen_, "");
  dismissing_ = true;
  EXPECT_TRUE(dismiss_dialog(toolkit_));
  EXPECT_TRUE(toolkit_.open_forms().empty());
}

}  // namespace
}  // namespace pharmex::platform
