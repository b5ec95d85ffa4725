// The import reached through its entry points, as a host calls them: the
// "Open" dialog answered as a user would, and order_import_from_file.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>

#include "import/order_reader_fixture.h"
#include "pharmex/pharmex.h"
#include "platform/headless_driver.h"
#include "platform/headless_toolkit.h"
#include "platform/toolkit.h"

namespace pharmex::importing {
namespace {

using host::testing::host_events;
using platform::DialogAnswer;
using testing::kOrderedLine;

class OrderImportEntryTest : public testing::OrderReaderTest {
 protected:
  platform::HeadlessToolkit& toolkit() { return *toolkit_; }
  // The import dialog, while it is open.
  platform::HeadlessShellForm& dialog() {
    platform::HeadlessShellForm* form = toolkit_->active_form();
    if (form == nullptr) throw std::logic_error("no dialog is open");
    return *form;
  }

  void open_dialog() {
    host::Callbacks callbacks = host::testing::recording_callbacks();
    order_import(kHost, prices_.get(), second_.get(), lines_.get(), callbacks.progress,
                 callbacks.start, callbacks.finish);
  }

  void from_file(const std::string& path) {
    order_import_from_file(prices_.get(), second_.get(), lines_.get(), path.c_str());
  }

  void TearDown() override {
    EXPECT_TRUE(toolkit().open_forms().empty()) << "a dialog was left open";
    for (memhost::MemoryDataSet* data : {prices_.get(), second_.get(), lines_.get()})
      EXPECT_EQ(data->ref_count(), 1u) << "a reference was kept";
    second_ = {};
    OrderReaderTest::TearDown();
  }

  host::HostRef<memhost::MemoryDataSet> second_ = memhost::MemoryDataSet::create({});
  std::shared_ptr<platform::HeadlessToolkit> toolkit_ =
      std::make_shared<platform::HeadlessToolkit>();
  Service<platform::Toolkit>::Scoped toolkit_scope_{toolkit_};
};

TEST_F(OrderImportEntryTest, TheDialogReadsANameWithoutExtensionWithTheSelectedReader) {
  // Read as Khabarovsk, the file orders from supplier 3.
  testing::write_order_file(root() + "/order.dbf", testing::khabarovsk_fields(),
                            {testing::khabarovsk_record(1001, 2)});
  registry().write_string(platform::kHostSettingsKey, "order_import_path", root());
  open_dialog();
  EXPECT_EQ(dialog().folder(), root());
  EXPECT_EQ(dialog().edtFileName().text(), "") << "the import proposes no name";
  DialogAnswer answer = platform::answer_dialog(toolkit(), "order", 1);
  ASSERT_EQ(answer.outcome, DialogAnswer::Outcome::kClosed) << answer.message;
  EXPECT_EQ(lines_now(), std::string(kOrderedLine) + ",3,1001,Аспирин,12.5,2,\n");
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 100", "finish 4660"}));
  EXPECT_TRUE(toolkit().window_enabled(kHost));
  EXPECT_EQ(remembered(), root());
}

TEST_F(OrderImportEntryTest, AMissingFilePassesTheDialogAndFailsInTheReader) {
  open_dialog();
  DialogAnswer answer = platform::answer_dialog(toolkit(), root() + "/missing.dbf", 0);
  ASSERT_EQ(answer.outcome, DialogAnswer::Outcome::kFailed);
  EXPECT_EQ(answer.message, "Cannot find file " + root() + "/missing.dbf");
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
  EXPECT_FALSE(toolkit().window_enabled(kHost)) << "the dialog stays open for another try";
  // The user picks a file that exists: a new run.
  testing::write_dbf4(root() + "/order.dbf", {{4, 2001, 3}});
  answer = platform::answer_dialog(toolkit(), root() + "/order.dbf", 0);
  ASSERT_EQ(answer.outcome, DialogAnswer::Outcome::kClosed) << answer.message;
  EXPECT_EQ(lines_now(), "1,4,2001,Бинт (old),29,5,keep\n");
  EXPECT_EQ(remembered(), root());
}

TEST_F(OrderImportEntryTest, FromFileReadsTheDbf4LayoutWithoutCallbacks) {
  testing::write_dbf4(path_, {{4, 2001, 3}, {3, 1002, 1}});
  from_file(path_);
  EXPECT_STREQ(pharmex_last_error(), "");
  EXPECT_EQ(lines_now(), "1,4,2001,Бинт (old),29,5,keep\n,3,1002,Анальгин,7,1,\n");
  EXPECT_TRUE(host_events().empty());
  EXPECT_EQ(remembered(), root());
  EXPECT_TRUE(toolkit().window_events().empty()) << "no window is touched without a dialog";
}

TEST_F(OrderImportEntryTest, FromFileAlwaysReadsTheDbf4Layout) {
  testing::write_order_file(path_, testing::khabarovsk_fields(),
                            {testing::khabarovsk_record(1001, 2)});
  from_file(path_);
  EXPECT_STREQ(pharmex_last_error(), "Field 'suppl_id' not found");
  EXPECT_EQ(lines_now(), kOrderedLine);
  EXPECT_EQ(remembered(), root()) << "remembered also after a failure";
  // Without records nothing is read, so nothing is missed.
  testing::write_order_file(path_, testing::khabarovsk_fields(), {});
  from_file(path_);
  EXPECT_STREQ(pharmex_last_error(), "");
}

TEST_F(OrderImportEntryTest, FromFileUsesThePathAsPassed) {
  // No ".dbf" is added here; the table engine adds ".DBF" to a bare name.
  testing::write_dbf4(root() + "/week.DBF", {{4, 2001, 3}});
  from_file(root() + "/week");
  EXPECT_STREQ(pharmex_last_error(), "");
  EXPECT_EQ(lines_now(), "1,4,2001,Бинт (old),29,5,keep\n");
}

}  // namespace
}  // namespace pharmex::importing
