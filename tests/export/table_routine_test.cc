#include "export/table_routine.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "dbf/dbf_field.h"
#include "host/run_test_support.h"
#include "platform/memory_settings_store.h"
#include "platform/text_codec.h"

namespace pharmex::exporting {
namespace {

using host::testing::host_events;

class TableRoutineTest : public host::testing::RunTest {
 protected:
  std::string remembered() {
    return registry().read_string(platform::kHostSettingsKey, "test_export_path");
  }

  host::RunContext context_ = context();
  std::string path_ = root() + "/t.dbf";
};

TEST_F(TableRoutineTest, StartsCreatesPostsThenReleasesRemembersAndFinishes) {
  run_table_routine(context_, path_, "test_export_path", [](TableRun& run) {
    run.create({"NAME;C;10;0"});
    host::ProgressReporter progress = run.progress(1);
    run.table().Append();
    run.table().FieldByName("name").SetValue(Variant::ascii("abc"));
    run.table().Post();
    progress.row_done();
    progress.finish();
  });
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 100", "finish 4660"}));
  EXPECT_EQ(remembered(), root());
  EXPECT_EQ(pharmex::testing::folder_entries(root()), std::vector<std::string>{"t.dbf"})
      << "the table was not put in place, or something was left beside it";
  // The file is closed: an exclusive opener gets it.
  dbf::TDbfDataSet reopened;
  reopened.SetTableName(path_);
  reopened.SetExclusive(true);
  reopened.Open();
  EXPECT_EQ(reopened.RecordCount(), 1);
}

TEST_F(TableRoutineTest, AFailureStillReleasesRemembersAndFinishes) {
  EXPECT_THROW_MSG(
      run_table_routine(context_, path_, "test_export_path",
                        [](TableRun& run) {
                          run.create({"QTY;N;3;0"});
                          run.table().Append();
                          run.table().FieldByName("QTY").SetValue(Variant::integer(1000));
                        }),
      DbfError, "numeric value too big in field QTY - 1000");
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
  EXPECT_EQ(remembered(), root());
  // The table was written aside and thrown away: nothing is left.
  EXPECT_EQ(pharmex::testing::folder_entries(root()), std::vector<std::string>{});
}

// A callback is a host call like any other: one that reports a failure ends
// the run there, and the clean-up still finishes.
TEST_F(TableRoutineTest, AProgressCallbackThatReportsAFailureEndsTheRunThere) {
  host::Callbacks callbacks = context_.callbacks();
  static PxProgressCallback recording;
  recording = callbacks.progress;
  callbacks.progress = [](PxWindow window, int32_t percent) {
    recording(window, percent);
    pharmex_report_host_failure("Прервано пользователем");
  };
  context_.set_callbacks(callbacks);
  EXPECT_THROW_MSG(run_table_routine(context_, path_, "test_export_path",
                                     [](TableRun& run) {
                                       run.create({"NAME;C;10;0"});
                                       host::ProgressReporter progress = run.progress(2);
                                       progress.row_done();
                                       progress.row_done();
                                     }),
                   Error, platform::text_codec().utf8_to_ansi("Прервано пользователем"));
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 50", "finish 4660"}));
}

TEST_F(TableRoutineTest, AnInvalidFieldListWritesNoFileButStillFinishes) {
  EXPECT_THROW_MSG(run_table_routine(context_, path_, "", [](TableRun& run) { run.create({}); }),
                   DatabaseError, "Field list is invalid");
  EXPECT_FALSE(std::filesystem::exists(path_));
  EXPECT_EQ(remembered(), "");  // this layout remembers no folder
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
}

TEST_F(TableRoutineTest, TheFolderGoesToTheStoreTheContextCarries) {
  auto own = std::make_shared<platform::MemorySettingsStore>();
  own->create_key(platform::kHostSettingsKey);
  context_.set_folders(host::RememberedFolders(own));
  run_table_routine(context_, path_, "test_export_path",
                    [](TableRun& run) { run.create({"NAME;C;10;0"}); });
  EXPECT_EQ(own->read_string(platform::kHostSettingsKey, "test_export_path"), root());
  EXPECT_EQ(remembered(), "") << "the process's store is not touched";
}

}  // namespace
}  // namespace pharmex::exporting
