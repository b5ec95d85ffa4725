// An append on a shared table waits for another writer's append lock instead
// of counting the same records and writing over the one that writer adds; a
// lock that never comes fails the append with nothing written.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "core/error.h"
#include "dbf/dbf_field_layer.h"
#include "dbf/dbf_test_util.h"
#include "testing/test_support.h"

namespace pharmex::dbf {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;

class AppendLockTest : public ::testing::Test {
 protected:
  AppendLockTest() {
    other_.OpenTable();
    table_.OpenTable();
  }

  // A table of two records at `path`; returns the path.
  static std::string two_records(const std::string& path) {
    testing::TableSpec spec;
    spec.fields = {{"NAME", 'C', 4, 0}};
    spec.records = {"one ", "two "};
    write_file(path, testing::MakeTable(spec));
    return path;
  }

  // Pauses counted, and handed to `during` (which may end the other's lock).
  TLockRetry retry(std::function<void(int)> during) {
    TLockRetry retry;
    retry.attempts = 5;
    retry.sleep = [this, during](std::chrono::milliseconds) { during(++pauses_); };
    return retry;
  }

  TempDir dir_;
  std::string path_ = two_records(dir_.file("T.DBF"));
  // Another writer (its own open file), and ours.
  TDbfTable other_{path_, true, true, platform::posix_file_system(), platform::system_clock()};
  TDbfFieldLayer table_{path_, true, true, platform::posix_file_system(), platform::system_clock()};
  int pauses_ = 0;
};

TEST_F(AppendLockTest, WaitsForAnotherWritersAppend) {
  ASSERT_TRUE(other_.LockAppend());
  table_.SetLockRetry(retry([this](int pause) {
    if (pause == 2) other_.ReleaseLock();
  }));
  table_.BlankRecord();
  table_.PutString(0, "new", false);
  table_.AppendRecord();
  EXPECT_EQ(pauses_, 2);
  EXPECT_EQ(table_.RecordCount(), 3);
  EXPECT_EQ(table_.LockCount(), 0);
  EXPECT_EQ(testing::Get32(read_file(path_), 4), 3u);
}

TEST_F(AppendLockTest, ALockThatNeverComesFailsWithNothingWritten) {
  ASSERT_TRUE(other_.LockAppend());
  const std::string before = read_file(path_);
  table_.SetLockRetry(retry([](int) {}));
  table_.BlankRecord();
  EXPECT_THROW_MSG(table_.AppendRecord(), DbfError, "Can not Lock file " + path_);
  EXPECT_EQ(pauses_, 4);  // five attempts
  EXPECT_EQ(read_file(path_), before);
  EXPECT_EQ(table_.RecordCount(), 2);
  other_.ReleaseLock();
  table_.AppendRecord();  // the lock is free again
  EXPECT_EQ(table_.RecordCount(), 3);
}

TEST_F(AppendLockTest, ARecordLockOfItsOwnDoesNotMakeItWait) {
  // The disk file holds one range at a time: with the record lock held the
  // append lock is refused by ourselves, and waiting could never end.
  table_.SetLockRetry(retry([](int) {}));
  ASSERT_TRUE(table_.LockRecord(1));
  table_.BlankRecord();
  table_.AppendRecord();
  EXPECT_EQ(pauses_, 0);
  EXPECT_EQ(table_.RecordCount(), 3);
  table_.ReleaseLock();
}

}  // namespace
}  // namespace pharmex::dbf
