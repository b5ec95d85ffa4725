// pharmex-bench: runs the library the way a host does and prints one JSON line
// per case (common/bench_report.h):
//
//   pharmex-bench [--case NAME] [--rows N] [--dir FOLDER]
//
// Without --case every case runs, each in a process of its own (this program
// started again with --case), so that a case's peak resident memory is its
// own. Files go to a folder of each case's name inside FOLDER, by default a
// temporary folder removed at the end.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_case.h"
#include "common/bench_report.h"
#include "platform/headless_toolkit.h"
#include "platform/memory_settings_store.h"
#include "platform/settings_store.h"
#include "platform/toolkit.h"

extern char** environ;

namespace pharmex::bench {

namespace {

namespace fs = std::filesystem;

constexpr const char* kUsage = "[--case NAME] [--rows N] [--dir FOLDER]";

void print_error(std::string_view name, long rows, const std::string& message) {
  std::string quoted;
  for (char c : message) {
    if (c == '"' || c == '\\') quoted.push_back('\\');
    quoted.push_back(c == '\n' ? ' ' : c);
  }
  std::printf("{\"case\":\"%.*s\",\"rows\":%ld,\"error\":\"%s\"}\n", static_cast<int>(name.size()),
              name.data(), rows, quoted.c_str());
  std::fflush(stdout);
}

const BenchCase* find_case(std::string_view name) {
  static const std::vector<BenchCase> cases = all_cases();
  for (const BenchCase& c : cases) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

std::string temporary_folder() {
  std::string pattern = (fs::temp_directory_path() / "pharmex-bench-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make " + pattern);
  return pattern;
}

// Runs one case in this process.
int run_case(const BenchCase& bench_case, long rows, const std::string& dir) {
  // The library's dialogs are answered in the headless toolkit; the folders
  // it remembers go to a store of this process, not the user's.
  Service<platform::Toolkit>::Scoped toolkit(std::make_shared<platform::HeadlessToolkit>());
  auto store = std::make_shared<platform::MemorySettingsStore>();
  store->create_key(platform::kHostSettingsKey);
  Service<platform::SettingsStore>::Scoped settings(store);

  CaseSettings settings_of_case;
  settings_of_case.folder = (fs::path(dir) / std::string(bench_case.name)).string() + "/";
  settings_of_case.rows = rows;
  fs::create_directories(settings_of_case.folder);

  PreparedCase prepared = bench_case.prepare(settings_of_case);
  bench_reset_peak_rss();
  const double start = bench_now();
  const double cpu_start = bench_cpu_now();
  prepared.run();
  const double seconds = bench_now() - start;
  const double cpu_seconds = bench_cpu_now() - cpu_start;
  const long peak = bench_peak_rss_kib();
  const int64_t produced = prepared.check();
  if (produced != rows) {
    throw std::runtime_error("the output holds " + std::to_string(produced) + " rows, not " +
                             std::to_string(rows));
  }
  std::string name(bench_case.name);
  bench_print_result_cpu(name.c_str(), rows, seconds, cpu_seconds, peak);
  return 0;
}

// Runs every case, each in a new process of this program.
int run_all(long rows, const std::string& dir) {
  int failures = 0;
  const std::string rows_text = std::to_string(rows);
  for (const BenchCase& c : all_cases()) {
    std::string name(c.name);
    std::vector<char*> argv = {const_cast<char*>("/proc/self/exe"),
                               const_cast<char*>("--case"),
                               name.data(),
                               const_cast<char*>("--rows"),
                               const_cast<char*>(rows_text.c_str()),
                               const_cast<char*>("--dir"),
                               const_cast<char*>(dir.c_str()),
                               nullptr};
    pid_t child = 0;
    if (::posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, argv.data(), environ) != 0) {
      print_error(c.name, rows, "cannot start the case");
      ++failures;
      continue;
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ++failures;
  }
  return failures == 0 ? 0 : 1;
}

int main_body(int argc, char** argv) {
  long rows = 0;
  const char* dir = nullptr;
  const char* case_name = nullptr;
  if (!bench_parse_arguments(argc, argv, kUsage, &rows, &dir, &case_name)) return 2;
  const BenchCase* chosen = nullptr;
  if (case_name != nullptr) {
    chosen = find_case(case_name);
    if (chosen == nullptr) {
      std::fprintf(stderr, "pharmex-bench: no case '%s'; the cases are:", case_name);
      for (const BenchCase& c : all_cases())
        std::fprintf(stderr, " %.*s", static_cast<int>(c.name.size()), c.name.data());
      std::fprintf(stderr, "\n");
      return 2;
    }
  }
  const bool temporary = dir == nullptr;
  const std::string folder = temporary ? temporary_folder() : std::string(dir);
  int code = 0;
  try {
    code = chosen != nullptr ? run_case(*chosen, rows, folder) : run_all(rows, folder);
  } catch (const std::exception& e) {
    print_error(chosen != nullptr ? chosen->name : "", rows, e.what());
    std::fprintf(stderr, "pharmex-bench %s: %s\n", case_name != nullptr ? case_name : "", e.what());
    code = 1;
  }
  if (temporary) {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  return code;
}

}  // namespace

}  // namespace pharmex::bench

int main(int argc, char** argv) {
  return pharmex::bench::main_body(argc, argv);
}
