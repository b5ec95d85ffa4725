// Every layout run with a failure at each of its file operations in turn:
// the n-th open, create, read, write (whole or short), size query, flush,
// lock, unlock, rename or share fails, for every n the layout's clean run
// performs.
//
// Each faulty run must:
//   - fail with the message of the operation that failed (a refused lock is
//     no failure: it is waited for, and the run ends as the clean one);
//   - call back as promised: start and finish for the table routines and the
//     readers, start only for the text layouts; remember the folder as the
//     clean run does (the text layouts only after success);
//   - leave no file open (TOpenFileList) and no host object alive (memhost);
//   - leave behind what is allowed: for a table or a text layout, the
//     partner's previous files byte for byte (a table and a memo file, or
//     the text file) and nothing beside them, whichever operation failed,
//     the final replace included; for a reader, the order file unchanged and
//     only rows of the clean merge among the order lines.
//
// A fault that only delays the run ends it as the clean one: a refused
// byte-range lock is waited for, and so is the folder's lock that a table
// with a memo file is put in place under (an open or create of it that
// fails is tried again).
//
// Each test prints its figures ("figures: fault matrix ...").
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/error.h"
#include "core/regional_settings.h"
#include "dbf/fault_file_system.h"
#include "dbf/open_file_list.h"
#include "host/run_test_support.h"
#include "memhost/csv_writer.h"
#include "memhost/memory_dataset.h"
#include "memhost/memory_field.h"
#include "platform/clock.h"
#include "reliability/layouts.h"
#include "reliability/table_image.h"

namespace pharmex::reliability {
namespace {

namespace fs = std::filesystem;
using dbf::testing::FaultyFileSystem;
using dbf::testing::FileOp;
using pharmex::testing::read_file;
using pharmex::testing::write_file;

// The faults of the matrix: an operation, and for writes whether some bytes
// get through before the failure.
struct Fault {
  FileOp op;
  bool short_write = false;
};

std::string fault_name(const Fault& fault) {
  return fault.short_write ? "short_write" : dbf::testing::file_op_name(fault.op);
}

void PrintTo(const Fault& fault, std::ostream* out) {
  *out << fault_name(fault);
}

const std::vector<Fault>& all_faults() {
  static const std::vector<Fault> faults = {
      {FileOp::kOpen},        {FileOp::kCreate}, {FileOp::kRead},     {FileOp::kWrite},
      {FileOp::kWrite, true}, {FileOp::kSize},   {FileOp::kSync},     {FileOp::kLock},
      {FileOp::kUnlock},      {FileOp::kRename}, {FileOp::kTruncate}, {FileOp::kShare}};
  return faults;
}

constexpr const char* kOldTarget = "the partner's previous file\r\n";
constexpr const char* kOldMemo = "the partner's previous memo file\r\n";
constexpr const char* kFolderLock = ".~pharmex.folder";

// What one run did.
struct Outcome {
  std::string failure;  // the message; "" when the run succeeded
  std::vector<std::string> events;
  std::string remembered;
  std::string lines;  // readers: the order lines afterwards, as CSV
  dbf::testing::Faults faults;
};

// The message the engine (or the text file) gives when `op` fails on
// `failed`: it names the file the user knows, the target (or its memo file)
// rather than the temporary file written aside for it.
std::string expected_message(LayoutKind kind, FileOp op, const std::string& failed,
                             const std::string& target) {
  if (kind == LayoutKind::kText) {
    const bool writing = op == FileOp::kWrite || op == FileOp::kSync;
    return (writing ? "Error writing to " : "Cannot create file ") + target;
  }
  const std::string file = shown_path(failed, target);
  const bool old_file =
      kind == LayoutKind::kTable && (failed == target || failed == memo_target(target));
  switch (op) {
    case FileOp::kOpen:
      // The previous file, opened to learn whether it may be replaced.
      if (old_file) return "Could not create file " + file;
      return "Access denied to file " + file;
    case FileOp::kShare:
      return "Access denied to file " + file;
    case FileOp::kCreate:
      return "Could not create file " + file;
    case FileOp::kRead:
      return "Error on Read of file " + file;
    case FileOp::kWrite:
      return "Error writing to " + file;
    case FileOp::kSize:
      return "Error getting FileSize for file " + file;
    case FileOp::kSync:
      return "Error on Flush for file " + file;
    case FileOp::kTruncate:
      return "Error in Truncate of file " + file;
    case FileOp::kUnlock:
      return "Error in Unlock of file " + file;
    case FileOp::kRename:
      return "Error on Rename of file " + file;
    case FileOp::kLock:
      break;
  }
  return "";
}

std::vector<std::string> rows_of(const std::string& csv) {
  std::vector<std::string> rows;
  size_t start = csv.find('\n');  // after the header
  while (start != std::string::npos && start + 1 < csv.size()) {
    const size_t end = csv.find('\n', start + 1);
    rows.push_back(csv.substr(start + 1, end - start - 1));
    start = end;
  }
  return rows;
}

class FaultMatrixTest : public host::testing::RunTest,
                        public ::testing::WithParamInterface<std::tuple<Layout, Fault>> {
 protected:
  const Layout& layout() const { return std::get<0>(GetParam()); }
  const Fault& fault() const { return std::get<1>(GetParam()); }
  std::string folder() const { return root() + "/out"; }
  std::string target() const { return folder() + "/" + layout().file_name; }

  // Runs the layout afresh; with `fail_at` > 0 the fault hits the fail_at-th
  // operation of its kind.
  Outcome run(int fail_at) {
    fs::remove_all(folder());
    fs::create_directories(folder());
    if (layout().kind != LayoutKind::kReader) write_file(target(), kOldTarget);
    if (layout().kind == LayoutKind::kTable) write_file(memo_target(target()), kOldMemo);
    if (layout().kind == LayoutKind::kReader) {
      fs::copy_file(example_path(layout().example_file), target());
    }
    if (!layout().folder_value.empty()) {
      registry().delete_value(platform::kHostSettingsKey, layout().folder_value);
    }
    host::testing::host_events().clear();

    Outcome outcome;
    const int64_t datasets = memhost::MemoryDataSet::live_count();
    const int64_t fields = memhost::MemoryField::live_count();
    {
      host::RunContext run = context();
      layout().give_data(run);
      FaultyFileSystem files;
      if (fail_at > 0) {
        files.faults.fail_op = fault().op;
        files.faults.fail_op_number = fail_at;
        files.faults.short_write_bytes = fault().short_write ? 3 : 0;
      }
      run.set_file_system(Service<platform::FileSystem>::borrow(files));
      run.set_clock(Service<platform::Clock>::borrow(clock_));
      try {
        layout().routine(run, target());
      } catch (const Error& e) {
        outcome.failure = e.what();
      }
      outcome.faults = files.faults;
      if (layout().kind == LayoutKind::kReader) {
        outcome.lines = memhost::write_csv(run.lines_dataset().get());
      }
    }
    EXPECT_EQ(memhost::MemoryDataSet::live_count(), datasets) << "a host dataset was kept";
    EXPECT_EQ(memhost::MemoryField::live_count(), fields) << "a host field was kept";
    EXPECT_EQ(dbf::TOpenFileList::Instance().Count(), 0u) << "a file was left open";
    outcome.events = host::testing::host_events();
    if (!layout().folder_value.empty()) {
      outcome.remembered =
          registry().read_string(platform::kHostSettingsKey, layout().folder_value);
    }
    return outcome;
  }

  void expect_callbacks(const Outcome& outcome) {
    const std::string start = "start " + std::to_string(kHost);
    const std::string finish = "finish " + std::to_string(kHost);
    ASSERT_FALSE(outcome.events.empty());
    EXPECT_EQ(outcome.events.front(), start);
    const bool finished = outcome.events.back() == finish;
    const bool finish_promised = layout().kind != LayoutKind::kText;
    EXPECT_EQ(finished, finish_promised) << "finish callback";
    size_t starts = 0, finishes = 0;
    for (const std::string& event : outcome.events) {
      starts += event == start;
      finishes += event == finish;
    }
    EXPECT_EQ(starts, 1u);
    EXPECT_EQ(finishes, finish_promised ? 1u : 0u);
  }

  // What a faulty run may leave behind, against the clean run's results.
  void expect_leftovers(const Outcome& outcome, const Outcome& clean) {
    switch (layout().kind) {
      case LayoutKind::kText:
        EXPECT_EQ(read_file(target()), kOldTarget) << "the old target was touched";
        EXPECT_EQ(entries(), std::set<std::string>{layout().file_name}) << "a file was left";
        break;
      case LayoutKind::kTable:
        EXPECT_EQ(read_file(target()), kOldTarget) << "the old table was touched";
        EXPECT_EQ(read_file(memo_target(target())), kOldMemo) << "the old memo file was touched";
        EXPECT_EQ(entries(),
                  (std::set<std::string>{layout().file_name,
                                         fs::path(memo_target(target())).filename().string()}))
            << "a file was left";
        break;
      case LayoutKind::kReader: {
        EXPECT_EQ(read_file(target()), read_file(example_path(layout().example_file)));
        const std::vector<std::string> initial = rows_of(initial_lines_);
        const std::vector<std::string> merged = rows_of(clean.lines);
        for (const std::string& row : rows_of(outcome.lines)) {
          const bool known = std::find(initial.begin(), initial.end(), row) != initial.end() ||
                             std::find(merged.begin(), merged.end(), row) != merged.end();
          EXPECT_TRUE(known) << "an order line the import would not write: " << row;
        }
        break;
      }
    }
  }

  std::set<std::string> entries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder()))
      names.insert(entry.path().filename().string());
    return names;
  }

  // What the faulty runs are held against.
  void keep_clean() {
    const std::set<std::string> left = entries();
    const std::vector<std::string> names(left.begin(), left.end());
    EXPECT_FALSE(staged_files_among(names)) << "the clean run left a temporary file";
    if (layout().kind == LayoutKind::kTable) {
      clean_bytes_ = read_file(target());
      // The date of the last update is the context's clock's (2026-03-02):
      // the run's clock reached the engine.
      EXPECT_EQ(clean_bytes_.substr(1, 3), std::string("\x1A\x03\x02", 3));
      EXPECT_EQ(check_table_sound(target()), "");
      clean_memo_ = read_file(memo_target(target()));
    }
    if (layout().kind == LayoutKind::kReader) {
      host::RunContext run;
      layout().give_data(run);
      initial_lines_ = memhost::write_csv(run.lines_dataset().get());
    }
  }

  // The table's header as the engine writes it bears this moment.
  platform::FixedClock clock_{DateParts{2026, 3, 2, 10, 30, 15, 250}};
  std::string clean_bytes_;
  std::string clean_memo_;
  std::string initial_lines_;
};

TEST_P(FaultMatrixTest, FailsAsPromisedAndLeavesOnlyWhatIsAllowed) {
  const Outcome clean = run(0);
  ASSERT_EQ(clean.failure, "") << "the clean run failed";
  // Every layout opens or creates a file: none seen, the faulty file system
  // never reached the run, and the matrix would pass without testing anything.
  ASSERT_GT(clean.faults.count(FileOp::kOpen) + clean.faults.count(FileOp::kCreate), 0)
      << "the run's files did not go through the test's file system";
  expect_callbacks(clean);
  keep_clean();
  const int operations = clean.faults.count(fault().op);
  int failed_runs = 0, waited_runs = 0;
  for (int n = 1; n <= operations; ++n) {
    SCOPED_TRACE(fault_name(fault()) + " " + std::to_string(n) + " of " +
                 std::to_string(operations));
    const Outcome outcome = run(n);
    ASSERT_GE(outcome.faults.injected, 1) << "the fault did not happen";
    expect_callbacks(outcome);
    const bool waited_out = fault().op == FileOp::kLock ||
                            fs::path(outcome.faults.failed_path).filename() == kFolderLock;
    if (waited_out) {
      // A refused lock is waited for: the run ends as the clean one.
      EXPECT_EQ(outcome.failure, "");
      EXPECT_EQ(outcome.remembered, clean.remembered);
      if (layout().kind == LayoutKind::kTable) {
        EXPECT_EQ(read_file(target()), clean_bytes_);
        EXPECT_EQ(read_file(memo_target(target())), clean_memo_);
      }
      ++waited_runs;
      continue;
    }
    ++failed_runs;
    EXPECT_EQ(outcome.failure,
              expected_message(layout().kind, fault().op, outcome.faults.failed_path, target()));
    // Tables and readers remember the folder whatever happens; the text
    // layouts only after success.
    EXPECT_EQ(outcome.remembered, layout().kind == LayoutKind::kText ? "" : clean.remembered);
    expect_leftovers(outcome, clean);
    if (HasFatalFailure()) return;
  }
  std::printf(
      "figures: fault matrix %s, %s: %d operations, %d faulty runs failed as promised, "
      "%d waited out\n",
      layout().name.c_str(), fault_name(fault()).c_str(), operations, failed_runs, waited_runs);
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, FaultMatrixTest,
                         ::testing::Combine(::testing::ValuesIn(all_layouts()),
                                            ::testing::ValuesIn(all_faults())),
                         [](const ::testing::TestParamInfo<std::tuple<Layout, Fault>>& info) {
                           return test_name(std::get<0>(info.param).name) + "_" +
                                  fault_name(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace pharmex::reliability
