// Two processes of this program on one table, as two hosts in one pharmacy
// share a folder (built for 32-bit Windows, these are two 32-bit processes):
//   - both append to one shared table with memos at once: every record lands
//     exactly once and whole, and no two memos share a block;
//   - both export into one table at the same moment, over and over: each
//     writes its own table aside and finds exactly its own records in it, a
//     refusal names the table plainly, and what is left is the table of the
//     one that put it in place last, with its own memo file.
// The parent runs the tests; the children are this program started again
// with "--role" (Windows has no fork). PHARMEX_CREATE_RACES sets the races.
//   pharmex_windows_shared_table [gtest options]
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/error.h"
#include "dbf/dbf_dataset.h"
#include "reliability/shared_table_workload.h"
#include "reliability/table_image.h"
#include "testing/test_support.h"

namespace pharmex::reliability {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::TempDir;

constexpr DWORD kPatience = 5 * 60 * 1000;  // an emulated Windows is slow

std::wstring wide(const std::string& ansi) {
  const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  std::wstring text(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, text.data(), length);
  text.resize(static_cast<size_t>(length - 1));
  return text;
}

// A child: this program again, with "--role" and `arguments`, each quoted.
class Child {
 public:
  explicit Child(const std::vector<std::string>& arguments) {
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" --role";
    for (const std::string& argument : arguments)
      command += L" \"" + wide(argument) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process)) {
      throw Error("cannot start a child process");
    }
    ::CloseHandle(process.hThread);
    process_ = process.hProcess;
  }
  ~Child() { ::CloseHandle(process_); }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  // "" when the child exited with 0, else how it ended.
  std::string wait() {
    if (::WaitForSingleObject(process_, kPatience) != WAIT_OBJECT_0) {
      ::TerminateProcess(process_, 3);
      return "no end after " + std::to_string(kPatience / 1000) + " s";
    }
    DWORD code = 1;
    ::GetExitCodeProcess(process_, &code);
    return code == 0 ? "" : "exit " + std::to_string(code);
  }

 private:
  HANDLE process_ = nullptr;
};

// A name for the kernel objects of one test, unique on the machine.
std::string object_name(const std::string& what) {
  return "pharmex-test-" + what + "-" + std::to_string(::GetCurrentProcessId());
}

HANDLE open_or_fail(HANDLE handle, const std::string& name) {
  if (handle == nullptr) throw Error("no kernel object " + name);
  return handle;
}

// ---- the children

// Waits that long, busily: a sleep would take a whole scheduler tick.
void pause_microseconds(int microseconds) {
  LARGE_INTEGER frequency, start, now;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  do {
    ::QueryPerformanceCounter(&now);
  } while ((now.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart < microseconds);
}

// append TABLE WRITER RECORDS GATE: waits for the event GATE, then appends.
void append_role(const std::string& table_path, int writer, int records, const std::string& gate) {
  HANDLE start = open_or_fail(::OpenEventW(SYNCHRONIZE, FALSE, wide(gate).c_str()), gate);
  ::WaitForSingleObject(start, kPatience);
  ::CloseHandle(start);
  dbf::TDbfDataSet table;
  table.SetTableName(table_path);
  table.Open();
  append_records(table, writer, records);
  table.Close();
}

// export FOLDER WRITER TRIALS RECORDS MINE THEIRS LOG: for each trial meets
// the other exporter (each releases its own semaphore and waits for the
// other's), then exports into FOLDER\RACEn.DBF, trying again at once when
// refused; the refusals go to LOG, one a line.
void export_role(const std::string& folder, int writer, int trials, int records,
                 const std::string& mine, const std::string& theirs, const std::string& log) {
  HANDLE own = open_or_fail(
      ::OpenSemaphoreW(SEMAPHORE_MODIFY_STATE | SYNCHRONIZE, FALSE, wide(mine).c_str()), mine);
  HANDLE other = open_or_fail(
      ::OpenSemaphoreW(SEMAPHORE_MODIFY_STATE | SYNCHRONIZE, FALSE, wide(theirs).c_str()), theirs);
  std::ofstream refusals(log, std::ios::binary);
  for (int trial = 0; trial < trials; ++trial) {
    ::ReleaseSemaphore(own, 1, nullptr);
    if (::WaitForSingleObject(other, kPatience) != WAIT_OBJECT_0)
      throw Error("the other exporter never came");
    // The second starts a little later each trial, so that the races come
    // back in whatever moment the first leaves open.
    if (writer == 2) pause_microseconds(trial % 20 * 20);
    const std::string target = folder + "\\RACE" + std::to_string(trial) + ".DBF";
    for (int attempt = 0;; ++attempt) {
      try {
        export_records(target, writer, records);
        break;
      } catch (const Error& e) {
        if (attempt == 100000) throw;
        refusals << trial << " " << e.what() << "\n";
      }
    }
  }
  ::CloseHandle(own);
  ::CloseHandle(other);
}

int run_role(int argc, char** argv) {
  const std::vector<std::string> a(argv + 2, argv + argc);
  try {
    if (a.size() == 5 && a[0] == "append") {
      append_role(a[1], std::stoi(a[2]), std::stoi(a[3]), a[4]);
    } else if (a.size() == 8 && a[0] == "export") {
      export_role(a[1], std::stoi(a[2]), std::stoi(a[3]), std::stoi(a[4]), a[5], a[6], a[7]);
    } else {
      std::fprintf(stderr, "unknown role\n");
      return 2;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "child: %s\n", e.what());
    return 1;
  }
  return 0;
}

// ---- the tests

int setting(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

TEST(SharedTableTest, TwoProcessesAppendingWithMemosLoseAndMixNothing) {
  TempDir dir;
  const std::string path = dir.file("SHARED.DBF");
  {
    dbf::TDbfDataSet table;
    ASSERT_NO_THROW(create_shared_table(table, path));
  }
  const int records = 40;
  const std::string gate = object_name("append-gate");
  HANDLE start = ::CreateEventW(nullptr, TRUE, FALSE, wide(gate).c_str());
  ASSERT_NE(start, nullptr);
  Child first({"append", path, "1", std::to_string(records), gate});
  Child second({"append", path, "2", std::to_string(records), gate});
  ::SetEvent(start);
  EXPECT_EQ(first.wait(), "") << "the first writer failed";
  EXPECT_EQ(second.wait(), "") << "the second writer failed";
  ::CloseHandle(start);

  const TableImage image = read_table_image(path);
  EXPECT_EQ(not_all_landed(image, 2, records), "");
  EXPECT_EQ(memos_overlap(image, dir.file("SHARED.DBT")), "");
}

TEST(SharedTableTest, TwoExportsCreatingOneTableAtOnceNeverMerge) {
  TempDir dir;
  const int trials = setting("PHARMEX_CREATE_RACES", 20);
  const int records = 3;
  const std::string one = object_name("race-1"), two = object_name("race-2");
  HANDLE semaphores[] = {::CreateSemaphoreW(nullptr, 0, trials, wide(one).c_str()),
                         ::CreateSemaphoreW(nullptr, 0, trials, wide(two).c_str())};
  ASSERT_NE(semaphores[0], nullptr);
  ASSERT_NE(semaphores[1], nullptr);
  const std::string log1 = dir.file("refusals1"), log2 = dir.file("refusals2");
  {
    Child first({"export", dir.path().string(), "1", std::to_string(trials),
                 std::to_string(records), one, two, log1});
    Child second({"export", dir.path().string(), "2", std::to_string(trials),
                  std::to_string(records), two, one, log2});
    EXPECT_EQ(first.wait(), "") << "the first exporter failed";
    EXPECT_EQ(second.wait(), "") << "the second exporter failed";
  }
  for (HANDLE semaphore : semaphores)
    ::CloseHandle(semaphore);
  if (HasFailure()) return;

  long refused = 0;
  for (const std::string& log : {log1, log2}) {
    std::istringstream lines(read_file(log));
    int trial = 0;
    for (std::string message; lines >> trial && std::getline(lines >> std::ws, message);
         ++refused) {
      const std::string target = dir.file("RACE" + std::to_string(trial) + ".DBF");
      // Each writes a table of its own, so nothing of the other's is in its
      // way; should a program of the system (a virus scanner) hold the
      // table for a moment, putting it in place fails plainly.
      EXPECT_EQ(message, "Error on Rename of file " + target);
    }
  }
  for (int trial = 0; trial < trials; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    const std::string target = dir.file("RACE" + std::to_string(trial) + ".DBF");
    const TableImage image = read_table_image(target);
    ASSERT_FALSE(image.values.empty());
    EXPECT_EQ(not_whole(image, std::stoi(image.values[0][0]), records), "");
    EXPECT_EQ(memos_overlap(image, dir.file("RACE" + std::to_string(trial) + ".DBT")), "");
    EXPECT_EQ(
        read_file(dir.file("RACE" + std::to_string(trial) + ".DBT")).substr(8, 8),
        "RACE" + std::to_string(trial) + std::string(8 - 4 - std::to_string(trial).size(), '\0'));
  }
  std::printf("figures: %d races to export one table, %ld refusals, no table merged\n", trials,
              refused);
}

}  // namespace
}  // namespace pharmex::reliability

int main(int argc, char** argv) {
  if (argc >= 2 && std::string(argv[1]) == "--role")
    return pharmex::reliability::run_role(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
