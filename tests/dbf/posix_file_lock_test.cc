// The POSIX backend's byte-range locks between processes: a lock another
// process holds is refused at once, and its exit releases it.
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "platform/file_system.h"
#include "testing/test_support.h"

namespace pharmex::platform {
namespace {

using pharmex::testing::TempDir;
using pharmex::testing::write_file;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  PosixFileSystemTest() : path_(dir_.file("data.bin")) { write_file(path_, "0123456789"); }

  std::unique_ptr<File> Open(FileAccess access, FileSharing sharing) {
    return posix_file_system().open(path_, access, sharing);
  }

  TempDir dir_;
  std::string path_;
};

TEST_F(PosixFileSystemTest, LockHeldByAnotherProcessIsRefusedWithoutWaiting) {
  int ready[2];
  int done[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(done), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto file = Open(FileAccess::kReadWrite, FileSharing::kShared);
    char status = file != nullptr && file->try_lock(1000000000, 1) ? 'L' : 'F';
    (void)!write(ready[1], &status, 1);
    char ignored;
    (void)!read(done[0], &ignored, 1);  // hold the lock until the parent has tried
    _exit(0);
  }
  char status = 0;
  ASSERT_EQ(read(ready[0], &status, 1), 1);
  ASSERT_EQ(status, 'L');
  auto file = Open(FileAccess::kReadWrite, FileSharing::kShared);
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(file->try_lock(1000000000, 1));
  EXPECT_TRUE(file->try_lock(1000000001, 1));
  ASSERT_EQ(write(done[1], "x", 1), 1);
  int exit_status = 0;
  waitpid(child, &exit_status, 0);
  EXPECT_TRUE(file->try_lock(1000000000, 1));  // the child's exit released it
  for (int fd : {ready[0], ready[1], done[0], done[1]})
    close(fd);
}

}  // namespace
}  // namespace pharmex::platform
