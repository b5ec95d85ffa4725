// Several processes writing one key file at once.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/error.h"
#include "platform/file_settings_store.h"
#include "testing/test_support.h"

namespace pharmex::platform {
namespace {

const std::string kKey = "Software\\kestrova";

// Runs `work` in a child process; the child's exit code is 0 when it
// returned, 1 when it threw. The child leaves through _exit, so it never
// runs the parent's clean-up (the temporary folder stays); a child that
// hangs is ended by an alarm, which fails the test instead of stalling it.
pid_t spawn(const std::function<void()>& work) {
  pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::alarm(60);
  int code = 0;
  try {
    work();
  } catch (...) {
    code = 1;
  }
  ::_exit(code);
}

void expect_success(pid_t pid) {
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child " << pid << " failed";
}

// Waits until `pid` is blocked waiting for a flock (the kernel lists waiting
// requests in /proc/locks with "->"). Gives up after a few seconds: the test
// then still passes or fails on its own merits, it only exercises less.
void wait_until_blocked_on_lock(pid_t pid) {
  const std::string id = " " + std::to_string(pid) + " ";
  for (int attempt = 0; attempt < 500; ++attempt) {
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
      if (line.find("->") != std::string::npos && line.find(id) != std::string::npos) return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

TEST(FileSettingsStoreConcurrencyTest, EveryWritersLastValueSurvives) {
  testing::TempDir dir;
  FileSettingsStore store(dir.file("registry"));
  store.create_key(kKey);
  constexpr int kWriters = 5;  // four children and the parent
  constexpr int kWrites = 30;
  auto write = [&](int writer) {
    for (int i = 0; i < kWrites; ++i) {
      store.write_string(kKey, "writer" + std::to_string(writer), "value " + std::to_string(i));
      store.write_dword(kKey, "shared", static_cast<uint32_t>(writer * 1000 + i));
    }
  };
  std::vector<pid_t> children;
  for (int writer = 1; writer < kWriters; ++writer)
    children.push_back(spawn([&, writer] { write(writer); }));
  // A reader alongside: every file it reads must parse and hold only whole values.
  children.push_back(spawn([&] {
    for (int i = 0; i < 100; ++i) {
      for (const NamedSettingsValue& value : store.read_values(kKey)) {
        bool whole = value.name == "shared" ? value.value.type == SettingsType::kDword
                                            : value.value.data.rfind("value ", 0) == 0;
        if (!whole) throw Error("torn value " + value.name);
      }
    }
  }));
  write(0);
  for (pid_t child : children)
    expect_success(child);

  for (int writer = 0; writer < kWriters; ++writer) {
    EXPECT_EQ(store.read_string(kKey, "writer" + std::to_string(writer)),
              "value " + std::to_string(kWrites - 1));
  }
  std::optional<SettingsValue> shared = store.read_value(kKey, "shared");
  ASSERT_TRUE(shared.has_value());
  EXPECT_EQ(shared->number % 1000, static_cast<uint64_t>(kWrites - 1));
  EXPECT_EQ(store.read_values(kKey).size(), static_cast<size_t>(kWriters + 1));
}

TEST(FileSettingsStoreConcurrencyTest, AWriterWhoseFileWasReplacedWhileItWaitedStartsAgain) {
  testing::TempDir dir;
  FileSettingsStore store(dir.file("registry"));
  store.create_key(kKey);
  store.write_string(kKey, "old", "1");
  const std::string path = store.key_file(kKey);

  // Hold the lock as another writer would, while a child opens the file and waits.
  int held = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  pid_t child = spawn([&] {
    ::close(held);  // the child's copy would keep the lock alive
    store.write_string(kKey, "child", "2");
  });
  wait_until_blocked_on_lock(child);

  // That other writer finishes: a new file renamed over the path, then unlock.
  const std::string temp = dir.file("registry/Software/.kestrova.reg.new");
  testing::write_file(temp,
                      "Windows Registry Editor Version 5.00\n\n"
                      "[HKEY_CURRENT_USER\\Software\\kestrova]\n\"old\"=\"1\"\n\"other\"=\"3\"\n");
  ASSERT_EQ(::rename(temp.c_str(), path.c_str()), 0);
  ::close(held);
  expect_success(child);

  EXPECT_EQ(store.read_string(kKey, "other"), "3");
  EXPECT_EQ(store.read_string(kKey, "child"), "2");
  EXPECT_EQ(store.read_string(kKey, "old"), "1");
}

}  // namespace
}  // namespace pharmex::platform
