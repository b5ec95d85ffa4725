#include "export/atomic_text_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/error.h"
#include "platform/file_system.h"
#include "testing/test_support.h"

namespace pharmex::exporting {
namespace {

size_t entries(const std::filesystem::path& dir) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                           std::filesystem::directory_iterator()));
}

TEST(AtomicTextFileTest, ReplacesTheTargetOnlyOnCommit) {
  pharmex::testing::TempDir dir;
  std::string target = dir.file("w.SST");
  pharmex::testing::write_file(target, "old");
  {
    AtomicTextFile file(target, platform::posix_file_system());
    file.write_line("[Header]");
    EXPECT_EQ(pharmex::testing::read_file(target), "old");
    file.commit();
  }
  EXPECT_EQ(pharmex::testing::read_file(target), "[Header]\r\n");
  EXPECT_EQ(entries(dir.path()), 1u);
}

TEST(AtomicTextFileTest, AnUncommittedFileLeavesNothingBehind) {
  pharmex::testing::TempDir dir;
  std::string target = dir.file("w.txt");
  {
    AtomicTextFile file(target, platform::posix_file_system());
    file.write(std::string(200000, 'x'));  // beyond the buffer
  }
  EXPECT_EQ(entries(dir.path()), 0u);
}

TEST(AtomicTextFileTest, LargeWritesKeepTheirOrder) {
  pharmex::testing::TempDir dir;
  std::string target = dir.file("w.txt");
  AtomicTextFile file(target, platform::posix_file_system());
  std::string big(70000, 'b');
  file.write("a");
  file.write(big);
  file.write("c");
  file.commit();
  EXPECT_EQ(pharmex::testing::read_file(target), "a" + big + "c");
}

TEST(AtomicTextFileTest, AMissingFolderCannotBeCreated) {
  pharmex::testing::TempDir dir;
  std::string target = dir.file("no/such/folder/w.txt");
  EXPECT_THROW_MSG(AtomicTextFile file(target, platform::posix_file_system()), Error,
                   "Cannot create file " + target);
}

TEST(AtomicTextFileTest, AFolderInTheWayIsRefusedBeforeWritingAndKept) {
  pharmex::testing::TempDir dir;
  std::string target = dir.file("w.txt");
  std::filesystem::create_directories(std::filesystem::path(target) / "inside");
  EXPECT_THROW_MSG(AtomicTextFile file(target, platform::posix_file_system()), Error,
                   "Cannot create file " + target);
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(target) / "inside"));
  EXPECT_EQ(entries(dir.path()), 1u);
}

}  // namespace
}  // namespace pharmex::exporting
