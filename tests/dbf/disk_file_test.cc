#include "dbf/disk_file.h"

#include <string>

#include "core/error.h"
#include "dbf/fault_file_system.h"
#include "dbf/open_file_list.h"
#include "platform/paths.h"
#include "testing/test_support.h"

namespace pharmex::dbf {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;

std::span<const char> Bytes(const std::string& text) {
  return {text.data(), text.size()};
}

class DiskFileTest : public ::testing::Test {
 protected:
  DiskFileTest() : path_(dir_.file("T.DBF")) { write_file(path_, "abcdef"); }

  TempDir dir_;
  std::string path_;
  platform::FileSystem& files_ = platform::posix_file_system();
};

TEST(DiskFilePathTest, RelativePathsBecomeFullPathsInTheCurrentFolder) {
  std::string folder = platform::current_directory();
  EXPECT_EQ(TDiskFile::FullPath("ORDERS.DBF"), folder + "/ORDERS.DBF");
  EXPECT_EQ(TDiskFile::FullPath("/data/./x/../ORDERS.DBF"), "/data/ORDERS.DBF");
}

TEST(DiskFilePathTest, NetworkAndUrlLikeNamesStayAsTheyAre) {
  EXPECT_EQ(TDiskFile::FullPath("//server/share/ORDERS.DBF"), "//server/share/ORDERS.DBF");
  EXPECT_EQ(TDiskFile::FullPath("smb://server/x.dbf"), "smb://server/x.dbf");
  EXPECT_EQ(TDiskFile::FullPath("ab:c.dbf"), "ab:c.dbf");
  // A ":" as second character is a drive letter elsewhere; here it is a name.
  EXPECT_EQ(TDiskFile::FullPath("a:b.dbf"), platform::current_directory() + "/a:b.dbf");
}

TEST_F(DiskFileTest, MissingFileIsReportedByItsFullPath) {
  TDiskFile file(dir_.file("NONE.DBF"), true, true, files_);
  EXPECT_FALSE(file.FileExists());
  EXPECT_THROW_MSG(file.OpenFile(), DbfError,
                   "File " + dir_.file("NONE.DBF") + " could not be found");
}

TEST_F(DiskFileTest, ExclusiveHolderRefusesASecondOpener) {
  TDiskFile holder(path_, false, true, files_);
  holder.OpenFile();
  TDiskFile second(path_, true, false, files_);
  EXPECT_THROW_MSG(second.OpenFile(), DbfError, "Access denied to file " + path_);
  holder.CloseFile();
  second.OpenFile();
  EXPECT_TRUE(second.IsOpen());
}

TEST_F(DiskFileTest, ReadsAndWritesAtOffsets) {
  TDiskFile file(path_, true, true, files_);
  file.OpenFile();
  file.WriteAt(2, Bytes("XY"));
  EXPECT_TRUE(file.WrittenSinceFlush());
  EXPECT_EQ(file.Position(), 4u);
  char buffer[10];
  EXPECT_EQ(file.ReadAt(1, buffer), 5u);  // short at the end: no error
  EXPECT_EQ(std::string(buffer, 5), "bXYef");
  EXPECT_EQ(file.LastCount(), 5u);
  EXPECT_EQ(file.FileSize(), 6u);
  file.FlushFile();
  EXPECT_FALSE(file.WrittenSinceFlush());
}

TEST_F(DiskFileTest, WritingAReadOnlyFileFails) {
  TDiskFile file(path_, true, false, files_);
  file.OpenFile();
  EXPECT_THROW_MSG(file.WriteAt(0, Bytes("X")), DbfError, "Error writing to " + path_);
}

TEST_F(DiskFileTest, ClosedFileReportsEachOperationsMessage) {
  TDiskFile file(path_, true, true, files_);
  char buffer[1];
  EXPECT_THROW_MSG(file.ReadAt(0, buffer), DbfError, "Error on Read of file " + path_);
  EXPECT_THROW_MSG(file.FileSize(), DbfError, "Error getting FileSize for file " + path_);
}

TEST_F(DiskFileTest, CreateNewReplacesTheFileAndOpensIt) {
  TDiskFile file(dir_.file("NEW.DBF"), false, true, files_);
  EXPECT_FALSE(file.FileExists());
  file.CreateNew();
  EXPECT_TRUE(file.IsOpen());
  EXPECT_EQ(file.FileSize(), 0u);
  TDiskFile existing(path_, false, true, files_);
  existing.CreateNew();
  EXPECT_EQ(existing.FileSize(), 0u);
}

TEST_F(DiskFileTest, CreateNewRefusesAFileInUse) {
  TDiskFile user(path_, true, false, files_);
  user.OpenFile();
  TDiskFile creator(path_, false, true, files_);
  EXPECT_THROW_MSG(creator.CreateNew(), DbfError, "Could not create file " + path_);
  EXPECT_EQ(read_file(path_), "abcdef");
}

// Another writer creates the file anew and writes it whole between our
// create and our opening.
class OvertakenFileSystem : public platform::FileSystemWrapper {
 public:
  OvertakenFileSystem() : FileSystemWrapper(platform::posix_file_system()) {}
  bool create(std::string_view path) override {
    const bool created = target().create(path);
    write_file(std::string(path), "theirs");
    return created;
  }
};

TEST_F(DiskFileTest, CreateNewLeavesAFileAnotherWriterFilledMeanwhile) {
  OvertakenFileSystem files;
  TDiskFile creator(path_, false, true, files);
  EXPECT_THROW_MSG(creator.CreateNew(), DbfError, "Could not create file " + path_);
  EXPECT_FALSE(creator.IsOpen());
  EXPECT_EQ(read_file(path_), "theirs");
}

TEST_F(DiskFileTest, ShareLetsSharedOpenersInAndKeepsCreatorsOut) {
  TDiskFile writer(path_, false, true, files_);
  writer.OpenFile();
  writer.Share();
  EXPECT_TRUE(writer.Shared());
  TDiskFile reader(path_, true, false, files_);
  reader.OpenFile();
  TDiskFile creator(path_, false, true, files_);
  EXPECT_THROW_MSG(creator.CreateNew(), DbfError, "Could not create file " + path_);

  testing::FaultyFileSystem files;
  files.faults.fail_op = testing::FileOp::kShare;
  files.faults.fail_op_number = 1;
  TDiskFile refused(dir_.file("NEW.DBF"), false, true, files);
  refused.CreateNew();
  EXPECT_THROW_MSG(refused.Share(), DbfError, "Access denied to file " + dir_.file("NEW.DBF"));
}

TEST_F(DiskFileTest, TruncateNeedsFullAccess) {
  TDiskFile shared(path_, true, true, files_);
  shared.OpenFile();
  EXPECT_THROW_MSG(shared.TruncateAt(2), DbfError,
                   "Truncate requires full access to file " + path_);
  ASSERT_TRUE(shared.LockAll());
  shared.TruncateAt(2);
  EXPECT_EQ(shared.FileSize(), 2u);
  shared.CloseFile();

  TDiskFile read_only(path_, false, false, files_);
  read_only.OpenFile();
  EXPECT_THROW_MSG(read_only.TruncateAt(0), DbfError,
                   "Truncate requires full access to file " + path_);
  read_only.CloseFile();

  TDiskFile exclusive(path_, false, true, files_);
  exclusive.OpenFile();
  exclusive.TruncateAt(1);
  EXPECT_EQ(exclusive.FileSize(), 1u);
}

TEST_F(DiskFileTest, RenameTakesTheNewPathAndReopens) {
  TDiskFile file(path_, true, true, files_);
  file.OpenFile();
  file.RenameTo(dir_.file("R.DBF"));
  EXPECT_EQ(file.FileName(), dir_.file("R.DBF"));
  EXPECT_TRUE(file.IsOpen());
  char buffer[3];
  EXPECT_EQ(file.ReadAt(0, buffer), 3u);
  EXPECT_THROW_MSG(file.RenameTo(dir_.file("missing/X.DBF")), DbfError,
                   "Error on Rename of file " + dir_.file("R.DBF"));
  EXPECT_TRUE(file.IsOpen());  // still open under its old name
  EXPECT_EQ(file.FileName(), dir_.file("R.DBF"));
}

TEST_F(DiskFileTest, SharedFileCountsOneRangeAndRefusesOthers) {
  TDiskFile file(path_, true, true, files_);
  file.OpenFile();
  TDiskFile other(path_, true, true, files_);
  other.OpenFile();
  ASSERT_TRUE(file.LockRange(0x7FFFFFFE, 1));
  EXPECT_TRUE(file.LockRange(0x7FFFFFFE, 1));
  EXPECT_EQ(file.LockCount(), 2);
  EXPECT_FALSE(file.LockRange(0x7FFFFFFD, 1));  // any other range while one is held
  EXPECT_FALSE(other.LockRange(0x7FFFFFFE, 1));
  file.UnlockRange();
  EXPECT_FALSE(other.LockRange(0x7FFFFFFE, 1));  // still held after the first unlock
  file.UnlockRange();
  EXPECT_EQ(file.LockCount(), 0);
  EXPECT_TRUE(other.LockRange(0x7FFFFFFE, 1));
  file.UnlockRange();  // nothing held: nothing happens
}

TEST_F(DiskFileTest, UnsharedFileGrantsEveryLockWithoutThePlatform) {
  TDiskFile file(path_, false, true, files_);
  file.OpenFile();
  EXPECT_TRUE(file.LockRange(1, 1));
  EXPECT_TRUE(file.LockRange(2, 1));
  EXPECT_TRUE(file.LockAll());
  EXPECT_EQ(file.LockCount(), 2);
}

TEST_F(DiskFileTest, ClosingReleasesAHeldLock) {
  TDiskFile file(path_, true, true, files_);
  file.OpenFile();
  ASSERT_TRUE(file.LockRange(10, 1));
  ASSERT_TRUE(file.LockRange(10, 1));
  file.CloseFile();
  EXPECT_EQ(file.LockCount(), 0);
  TDiskFile other(path_, true, true, files_);
  other.OpenFile();
  EXPECT_TRUE(other.LockRange(10, 1));
}

TEST_F(DiskFileTest, OpenFilesAreListedUntilClosed) {
  auto file = std::make_unique<TDiskFile>(path_, true, true, files_);
  file->OpenFile();
  EXPECT_TRUE(TOpenFileList::Instance().Contains(file.get()));
  file->CloseFile();
  EXPECT_FALSE(TOpenFileList::Instance().Contains(file.get()));
  file->OpenFile();
  TDiskFile* raw = file.get();
  file.reset();
  EXPECT_FALSE(TOpenFileList::Instance().Contains(raw));
}

TEST_F(DiskFileTest, UnloadClosesAndUnlocksEveryListedFile) {
  TDiskFile file(path_, true, true, files_);
  file.OpenFile();
  ASSERT_TRUE(file.LockRange(5, 1));
  TOpenFileList::Instance().CloseAll();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(TOpenFileList::Instance().Count(), 0u);
  TDiskFile other(path_, false, true, files_);  // nobody holds it any more
  other.OpenFile();
  EXPECT_TRUE(other.IsOpen());
}

class DiskFileFaultTest : public DiskFileTest {
 protected:
  testing::FaultyFileSystem fs_;
};

TEST_F(DiskFileFaultTest, ShortWriteIsAnError) {
  fs_.faults.fail_write_number = 1;
  fs_.faults.short_write_bytes = 2;
  TDiskFile file(path_, true, true, fs_);
  file.OpenFile();
  EXPECT_THROW_MSG(file.WriteAt(0, Bytes("WXYZ")), DbfError, "Error writing to " + path_);
  EXPECT_EQ(read_file(path_), "WXcdef");
}

TEST_F(DiskFileFaultTest, FailedFlushAndUnlockAreReported) {
  fs_.faults.fail_sync = true;
  fs_.faults.fail_unlock = true;
  TDiskFile file(path_, true, true, fs_);
  file.OpenFile();
  EXPECT_THROW_MSG(file.FlushFile(), DbfError, "Error on Flush for file " + path_);
  ASSERT_TRUE(file.LockRange(3, 1));
  EXPECT_THROW_MSG(file.UnlockRange(), DbfError, "Error in Unlock of file " + path_);
  EXPECT_THROW_MSG(file.CloseFile(), DbfError, "Error in Unlock of file " + path_);
  EXPECT_FALSE(file.IsOpen());  // closed all the same
}

}  // namespace
}  // namespace pharmex::dbf
