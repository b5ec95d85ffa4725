// The platform's real files (the POSIX backend on Linux, the Win32 backend on
// Windows): sharing claims, byte-range locks between open files, what a short
// read or a refused create looks like, and the whole-file operations that
// leave a file somebody has open alone. Locks between processes:
// posix_file_lock_test.cc here, the Windows test host under Wine.
#include "platform/file_system.h"

#include <algorithm>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "testing/test_support.h"

namespace pharmex::platform {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::real_file_system;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;

class FileSystemTest : public ::testing::Test {
 protected:
  FileSystemTest() : path_(dir_.file("data.bin")) { write_file(path_, "0123456789"); }

  std::unique_ptr<File> Open(FileAccess access, FileSharing sharing) {
    return real_file_system().open(path_, access, sharing);
  }

  TempDir dir_;
  std::string path_;
};

TEST_F(FileSystemTest, ReadsShortAtTheEndOfTheFile) {
  auto file = Open(FileAccess::kRead, FileSharing::kShared);
  ASSERT_NE(file, nullptr);
  char buffer[8];
  EXPECT_EQ(file->read_at(6, buffer), 4u);
  EXPECT_EQ(std::string(buffer, 4), "6789");
  EXPECT_EQ(file->read_at(100, buffer), 0u);
}

TEST_F(FileSystemTest, WritesAtAnOffsetAndExtends) {
  auto file = Open(FileAccess::kReadWrite, FileSharing::kExclusive);
  ASSERT_NE(file, nullptr);
  std::string data = "AB";
  EXPECT_EQ(file->write_at(12, std::span<const char>(data)), 2u);
  EXPECT_EQ(file->size(), 14u);
  EXPECT_TRUE(file->truncate(3));
  EXPECT_TRUE(file->sync());
  file->close();
  EXPECT_EQ(read_file(path_), "012");
}

TEST_F(FileSystemTest, ReadOnlyFileRefusesWrites) {
  auto file = Open(FileAccess::kRead, FileSharing::kShared);
  std::string data = "X";
  EXPECT_EQ(file->write_at(0, std::span<const char>(data)), std::nullopt);
}

TEST_F(FileSystemTest, ExclusiveOpenersRefuseEveryoneElse) {
  auto first = Open(FileAccess::kReadWrite, FileSharing::kExclusive);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Open(FileAccess::kRead, FileSharing::kShared), nullptr);
  EXPECT_EQ(Open(FileAccess::kReadWrite, FileSharing::kExclusive), nullptr);
  first->close();
  EXPECT_NE(Open(FileAccess::kRead, FileSharing::kShared), nullptr);
}

TEST_F(FileSystemTest, SharedOpenersAdmitEachOtherButNotAnExclusiveOne) {
  auto first = Open(FileAccess::kReadWrite, FileSharing::kShared);
  auto second = Open(FileAccess::kReadWrite, FileSharing::kShared);
  EXPECT_NE(first, nullptr);
  EXPECT_NE(second, nullptr);
  EXPECT_EQ(Open(FileAccess::kRead, FileSharing::kExclusive), nullptr);
}

TEST_F(FileSystemTest, ASharedClaimAdmitsSharedOpenersButNoCreate) {
  auto writer = Open(FileAccess::kReadWrite, FileSharing::kExclusive);
  ASSERT_NE(writer, nullptr);
  EXPECT_EQ(Open(FileAccess::kRead, FileSharing::kShared), nullptr);
  ASSERT_TRUE(writer->share());
  EXPECT_NE(Open(FileAccess::kReadWrite, FileSharing::kShared), nullptr);
  EXPECT_EQ(Open(FileAccess::kRead, FileSharing::kExclusive), nullptr);
  EXPECT_FALSE(real_file_system().create(path_));
  EXPECT_EQ(read_file(path_), "0123456789");
}

TEST_F(FileSystemTest, RangeLocksConflictBetweenTwoOpenFilesOfOneProcess) {
  auto first = Open(FileAccess::kReadWrite, FileSharing::kShared);
  auto second = Open(FileAccess::kReadWrite, FileSharing::kShared);
  ASSERT_TRUE(first->try_lock(0x7FFFFFFE, 1));
  EXPECT_FALSE(second->try_lock(0x7FFFFFFE, 1));
  EXPECT_TRUE(second->try_lock(0x7FFFFFFD, 1));  // the next byte is free
  ASSERT_TRUE(first->unlock(0x7FFFFFFE, 1));
  EXPECT_TRUE(second->try_lock(0x7FFFFFFE, 1));
}

TEST_F(FileSystemTest, ClosingOneFileKeepsTheLocksOfAnother) {
  auto holder = Open(FileAccess::kReadWrite, FileSharing::kShared);
  ASSERT_TRUE(holder->try_lock(0x40000000, 0xB0000000));  // beyond 32 bits of end
  Open(FileAccess::kReadWrite, FileSharing::kShared)->close();
  auto other = Open(FileAccess::kReadWrite, FileSharing::kShared);
  EXPECT_FALSE(other->try_lock(0xEFFFFFFF, 1));
}

TEST_F(FileSystemTest, ReadOnlyFilesTakeReadLocksThatKeepWritersOut) {
  auto reader = Open(FileAccess::kRead, FileSharing::kShared);
  auto other_reader = Open(FileAccess::kRead, FileSharing::kShared);
  auto writer = Open(FileAccess::kReadWrite, FileSharing::kShared);
  ASSERT_TRUE(reader->try_lock(100, 1));
  EXPECT_TRUE(other_reader->try_lock(100, 1));
  EXPECT_FALSE(writer->try_lock(100, 1));
}

TEST_F(FileSystemTest, CreateReplacesAFileNobodyHasOpen) {
  EXPECT_TRUE(real_file_system().create(path_));
  EXPECT_EQ(read_file(path_), "");
  EXPECT_TRUE(real_file_system().create(dir_.file("new.bin")));
  EXPECT_TRUE(real_file_system().exists(dir_.file("new.bin")));
}

TEST_F(FileSystemTest, CreateNeverCutsAFileSomebodyHasOpen) {
  auto user = Open(FileAccess::kRead, FileSharing::kShared);
  EXPECT_FALSE(real_file_system().create(path_));
  EXPECT_EQ(read_file(path_), "0123456789");
}

TEST_F(FileSystemTest, FoldersAreNotFiles) {
  EXPECT_FALSE(real_file_system().exists(dir_.path().string()));
  EXPECT_EQ(real_file_system().open(dir_.path().string(), FileAccess::kRead, FileSharing::kShared),
            nullptr);
  EXPECT_FALSE(real_file_system().exists(dir_.file("missing")));
}

TEST_F(FileSystemTest, RenameMovesTheFile) {
  EXPECT_TRUE(real_file_system().rename(path_, dir_.file("moved.bin")));
  EXPECT_EQ(read_file(dir_.file("moved.bin")), "0123456789");
  EXPECT_FALSE(real_file_system().rename(path_, dir_.file("again.bin")));
}

TEST_F(FileSystemTest, ANewFileIsHeldAloneFromItsFirstMoment) {
  EXPECT_EQ(real_file_system().create_new(path_), nullptr) << "an existing file was made anew";
  EXPECT_EQ(read_file(path_), "0123456789");
  const std::string fresh = dir_.file("fresh.lock");
  auto held = real_file_system().create_new(fresh);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->size(), 0u);
  EXPECT_EQ(real_file_system().open(fresh, FileAccess::kRead, FileSharing::kShared), nullptr);
  EXPECT_FALSE(real_file_system().remove(fresh));
  held->close();
  EXPECT_NE(real_file_system().open(fresh, FileAccess::kRead, FileSharing::kShared), nullptr);
}

TEST_F(FileSystemTest, AFileInUseIsNeitherRemovedNorMovedAwayNorReplaced) {
  const std::string moved = dir_.file("moved.bin");
  {
    auto user = Open(FileAccess::kRead, FileSharing::kShared);
    ASSERT_NE(user, nullptr);
    EXPECT_FALSE(real_file_system().remove(path_));
    EXPECT_FALSE(real_file_system().rename_if_unused(path_, moved));
    EXPECT_EQ(read_file(path_), "0123456789");
  }
  {
    // Nor put over one in use.
    write_file(moved, "in use");
    auto user = real_file_system().open(moved, FileAccess::kRead, FileSharing::kShared);
    ASSERT_NE(user, nullptr);
    EXPECT_FALSE(real_file_system().rename_if_unused(path_, moved));
    EXPECT_EQ(read_file(moved), "in use");
  }
  EXPECT_TRUE(real_file_system().rename_if_unused(path_, moved));
  EXPECT_EQ(read_file(moved), "0123456789");
  EXPECT_TRUE(real_file_system().remove(moved));
  EXPECT_FALSE(real_file_system().exists(moved));
  EXPECT_FALSE(real_file_system().remove(moved)) << "nothing left to remove";
}

TEST_F(FileSystemTest, AFoldersFilesAreListedWithoutItsFolders) {
  write_file(dir_.file(".hidden"), "");
  std::filesystem::create_directory(dir_.path() / "inner");
  std::vector<std::string> names = real_file_system().file_names(dir_.path().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".hidden", "data.bin"}));
  EXPECT_TRUE(real_file_system().file_names(dir_.file("missing")).empty());
}

TEST_F(FileSystemTest, ClosedFileFailsEveryOperation) {
  auto file = Open(FileAccess::kReadWrite, FileSharing::kShared);
  file->close();
  file->close();
  char buffer[1];
  EXPECT_EQ(file->read_at(0, buffer), std::nullopt);
  EXPECT_EQ(file->size(), std::nullopt);
  EXPECT_FALSE(file->sync());
  EXPECT_FALSE(file->try_lock(0, 1));
}

}  // namespace
}  // namespace pharmex::platform
