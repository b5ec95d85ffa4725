// Several real processes appending to one shared table at once, with memos,
// while another process walks it: every record lands exactly once and whole,
// the header counts them all, no two memos share a block, and the reader
// never sees half a record. Exclusive opening keeps everybody else out. Two
// processes exporting one table at the same moment each write their own and
// never end up writing into one table together; and a reader polling the
// folder while exports replace a table and its memo file finds the old pair,
// the new pair or no table, never a table with the other's memo file.
//
// The sizes are small for the test suite; PHARMEX_WRITERS and
// PHARMEX_RECORDS_PER_WRITER raise them (scripts/reliability-figures.sh),
// and the test prints what it checked on a "figures:" line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/error.h"
#include "dbf/dbf_dataset.h"
#include "export/atomic_text_file.h"
#include "reliability/child_process.h"
#include "reliability/shared_table_workload.h"
#include "reliability/table_image.h"
#include "testing/test_support.h"

namespace pharmex::reliability {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;

int setting(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

class ConcurrentWritersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dbf::TDbfDataSet table;
    ASSERT_NO_THROW(create_shared_table(table, path_));
  }

  // One writer process: `records` appends through its own shared dataset.
  void write_records(int writer, int records) {
    dbf::TDbfDataSet table;
    table.SetTableName(path_);
    table.Open();
    append_records(table, writer, records);
    table.Close();
  }

  // The reader process: walks the table from the start, over and over, until
  // `stop` exists; every record it sees must be whole. Writes the passes and
  // records seen to `report`.
  void walk_until(const std::string& stop, const std::string& report) {
    long passes = 0, seen = 0;
    while (!std::filesystem::exists(stop)) {
      dbf::TDbfDataSet table;
      table.SetTableName(path_);
      table.SetReadOnly(true);
      table.Open();
      for (table.First(); !table.Eof(); table.Next(), ++seen) {
        const WrittenRecord got = read_record(table);
        if (got.name != name_of(got.writer, got.seq) || got.note != memo_of(got.writer, got.seq)) {
          throw Error("record " + std::to_string(table.RecNo()) + " is not whole: " + got.name);
        }
      }
      ++passes;
    }
    write_file(report, std::to_string(passes) + " " + std::to_string(seen));
  }

  TempDir dir_;
  std::string path_ = dir_.file("SHARED.DBF");
};

TEST_F(ConcurrentWritersTest, EveryAppendLandsOnceAndWholeWhileAReaderWalks) {
  const int writers = setting("PHARMEX_WRITERS", 4);
  const int records = setting("PHARMEX_RECORDS_PER_WRITER", 60);
  const std::string stop = dir_.file("stop"), report = dir_.file("reader");

  StartGate gate;
  std::vector<pid_t> children;
  for (int w = 1; w <= writers; ++w) {
    children.push_back(spawn([&, w] {
      gate.wait();
      write_records(w, records);
    }));
  }
  const pid_t reader = spawn([&] {
    gate.wait();
    walk_until(stop, report);
  });
  gate.release();
  for (pid_t child : children)
    EXPECT_EQ(wait_for(child), "") << "a writer failed";
  write_file(stop, "");
  EXPECT_EQ(wait_for(reader), "") << "the reader saw a broken record";

  const TableImage image = read_table_image(path_);
  const int total = writers * records;
  EXPECT_EQ(not_all_landed(image, writers, records), "");
  EXPECT_EQ(memos_overlap(image, dir_.file("SHARED.DBT")), "");

  long passes = 0, seen = 0;
  std::sscanf(read_file(report).c_str(), "%ld %ld", &passes, &seen);
  std::printf(
      "figures: %d writers x %d records = %d appended and landed once, "
      "reader walked %ld passes over %ld records\n",
      writers, records, total, passes, seen);
}

TEST_F(ConcurrentWritersTest, AnExclusiveOpenerKeepsOtherProcessesOut) {
  const std::string message = "Access denied to file " + path_;
  dbf::TDbfDataSet mine;
  mine.SetTableName(path_);
  mine.SetExclusive(true);
  mine.Open();
  for (bool exclusive : {false, true}) {
    const pid_t other = spawn([&] {
      dbf::TDbfDataSet theirs;
      theirs.SetTableName(path_);
      theirs.SetExclusive(exclusive);
      EXPECT_THROW_MSG(theirs.Open(), DbfError, message);
      if (::testing::Test::HasFailure()) std::_Exit(2);
    });
    EXPECT_EQ(wait_for(other), "") << (exclusive ? "exclusive" : "shared") << " opener got in";
  }
  mine.Close();

  // And a shared opener keeps an exclusive one out.
  const std::string done = dir_.file("done");
  const pid_t holder = spawn([&] {
    dbf::TDbfDataSet theirs;
    theirs.SetTableName(path_);
    theirs.Open();
    write_file(dir_.file("open"), "");
    while (!std::filesystem::exists(done))
      ::usleep(1000);
  });
  while (!std::filesystem::exists(dir_.file("open")))
    ::usleep(1000);
  mine.SetExclusive(true);
  EXPECT_THROW_MSG(mine.Open(), DbfError, message);
  write_file(done, "");
  EXPECT_EQ(wait_for(holder), "");
  mine.Open();  // alone again
  EXPECT_TRUE(mine.Active());
}

TEST_F(ConcurrentWritersTest, TwoExportsCreatingOneTableAtOnceNeverMerge) {
  // The second exporter starts a little later each trial, and each would try
  // again at once when it is refused, like a user who will not give up. Each
  // writes its own table aside, so neither is refused: the one to put its
  // table in place last leaves it whole.
  const int trials = setting("PHARMEX_CREATE_RACES", 40);
  const int records = 3;
  const std::string target = dir_.file("RACE.DBF");
  long refusals = 0;
  for (int trial = 0; trial < trials; ++trial) {
    SCOPED_TRACE("trial " + std::to_string(trial));
    std::filesystem::remove(target);
    std::filesystem::remove(dir_.file("RACE.DBT"));
    auto log_of = [&](int w) { return dir_.file("refusals" + std::to_string(w)); };
    StartGate gate;
    std::vector<pid_t> exporters;
    for (int w = 1; w <= 2; ++w) {
      exporters.push_back(spawn([&, w] {
        gate.wait();
        if (w == 2) ::usleep(static_cast<useconds_t>(trial % 20 * 20));
        std::string refused;
        for (int attempt = 0;; ++attempt) {
          try {
            export_records(target, w, records);
            break;
          } catch (const Error& e) {
            if (attempt == 100000) throw;
            refused += std::string(e.what()) + "\n";
          }
        }
        write_file(log_of(w), refused);
      }));
    }
    gate.release();
    for (pid_t exporter : exporters)
      ASSERT_EQ(wait_for(exporter), "");
    for (int w = 1; w <= 2; ++w) {
      std::istringstream log(read_file(log_of(w)));
      for (std::string message; std::getline(log, message); ++refusals)
        ADD_FAILURE() << "writer " << w << " was refused: " << message;
    }

    // Each exporter found its own records whole before it put its table in
    // place; what is left is those of the one that came last, with its own
    // memo file, whose header names the table.
    const TableImage image = read_table_image(target);
    ASSERT_FALSE(image.values.empty());
    EXPECT_EQ(not_whole(image, std::stoi(image.values[0][0]), records), "");
    EXPECT_EQ(memos_overlap(image, dir_.file("RACE.DBT")), "");
    EXPECT_EQ(read_file(dir_.file("RACE.DBT")).substr(8, 8), std::string("RACE\0\0\0\0", 8));
    EXPECT_EQ(pharmex::testing::folder_entries(dir_.path()),
              (std::vector<std::string>{"RACE.DBF", "RACE.DBT", "SHARED.DBF", "SHARED.DBT",
                                        "refusals1", "refusals2"}));
    if (HasFailure()) return;
  }
  std::printf("figures: %d races to export one table, %ld refusals, no table merged\n", trials,
              refusals);
}

TEST_F(ConcurrentWritersTest, RunsWritingIntoOneFolderAtOnceNeverClearEachOthersFiles) {
  // Every run clears the folder's left-overs when it begins, while the
  // others are in the middle of writing theirs: none may take a live run's
  // file for a killed run's (its commit would then find it gone).
  const int writers = setting("PHARMEX_FOLDER_WRITERS", 4);
  const int files_each = setting("PHARMEX_FOLDER_FILES", 30);
  const std::string folder = dir_.file("exchange");
  std::filesystem::create_directory(folder);
  write_file(folder + "/.~pharmex-00000000000000aa.lock", "");
  write_file(folder + "/.~pharmex-00000000000000aa.text", "a killed run's");
  auto content = [](int w, int n) {
    return std::string(static_cast<size_t>(1 + (w * 7919 + n * 104729) % 200000), 'a' + w % 26);
  };
  StartGate gate;
  std::vector<pid_t> children;
  for (int w = 1; w <= writers; ++w) {
    children.push_back(spawn([&, w] {
      gate.wait();
      for (int n = 0; n < files_each; ++n) {
        exporting::AtomicTextFile file(folder + "/w" + std::to_string(w) + ".txt",
                                       platform::posix_file_system());
        file.write(content(w, n));
        file.commit();
      }
    }));
  }
  gate.release();
  for (pid_t child : children)
    EXPECT_EQ(wait_for(child), "") << "a run lost its file to another's clearing";
  std::vector<std::string> expected;
  for (int w = 1; w <= writers; ++w) {
    const std::string name = "w" + std::to_string(w) + ".txt";
    EXPECT_EQ(read_file(folder + "/" + name), content(w, files_each - 1)) << name;
    expected.push_back(name);
  }
  EXPECT_EQ(pharmex::testing::folder_entries(folder), expected);
  if (HasFailure()) return;
  std::printf("figures: %d runs x %d files written into one folder at once, none lost\n", writers,
              files_each);
}

TEST_F(ConcurrentWritersTest, AReaderPollingTheFolderNeverFindsACrossedPair) {
  // A writer process exports a table with a memo file to one path, over and
  // over, each time with other records and other memos; a reader process
  // opens the table, as the library's own readers do, throughout, and reads
  // every record with its memo. The reader keeps the old pair by having the
  // table open: an export that comes to replace it then is refused and tries
  // again.
  const int exports = setting("PHARMEX_REPLACE_EXPORTS", 40);
  const int records = 4;
  const std::string target = dir_.file("PAIR.DBF");
  const std::string stop = dir_.file("stop"), report = dir_.file("reader");
  const std::string refused_log = dir_.file("refused");
  {
    dbf::TDbfDataSet first;
    create_shared_table(first, target, true);
    append_records(first, 0, records);
    first.Commit();
  }
  StartGate gate;
  const pid_t writer = spawn([&] {
    gate.wait();
    long refused = 0;
    for (int w = 1; w <= exports; ++w) {
      for (;;) {
        try {
          export_records(target, w, records);
          break;
        } catch (const Error& e) {
          if (std::string(e.what()) != "Error on Rename of file " + target) throw;
          ++refused;
          ::usleep(200);
        }
      }
    }
    write_file(refused_log, std::to_string(refused));
  });
  const pid_t reader = spawn([&] {
    gate.wait();
    long passes = 0, none = 0;
    std::set<int> seen;
    for (unsigned pause = 0; !std::filesystem::exists(stop); ++passes, pause = pause * 7 + 3) {
      ::usleep(pause % 1000);
      dbf::TDbfDataSet table;
      table.SetTableName(target);
      table.SetReadOnly(true);
      try {
        table.Open();
      } catch (const Error&) {
        ++none;  // between two steps: no table at all
        continue;
      }
      table.First();
      const int w = read_record(table).writer;
      const std::string wrong = walked_not_whole(table, w, records);
      if (!wrong.empty()) throw Error("table of export " + std::to_string(w) + ": " + wrong);
      seen.insert(w);
    }
    write_file(report, std::to_string(passes) + " " + std::to_string(none) + " " +
                           std::to_string(seen.size()));
  });
  gate.release();
  EXPECT_EQ(wait_for(writer), "") << "an export failed otherwise than refused";
  write_file(stop, "");
  EXPECT_EQ(wait_for(reader), "") << "the reader found a table with another memo file";
  const TableImage image = read_table_image(target);
  EXPECT_EQ(not_whole(image, exports, records), "");
  if (HasFailure()) return;

  long passes = 0, none = 0, tables = 0;
  std::sscanf(read_file(report).c_str(), "%ld %ld %ld", &passes, &none, &tables);
  std::printf(
      "figures: a reader polled %ld times while %d exports replaced a table and its memo file "
      "(%s of them refused while it read): %ld times no table, %ld different tables seen, "
      "never a crossed pair\n",
      passes, exports, read_file(refused_log).c_str(), none, tables);
}

}  // namespace
}  // namespace pharmex::reliability
