// Several real processes appending to one shared table at once, with memos,
// while another process walks it: every record lands exactly once and whole,
// the header counts them all, no two memos share a block, and the reader
// never sees half a record. Exclusive opening keeps everybody else out. Two
// processes creating one new table at the same moment never end up writing
// into one table together.
//
// The sizes are small for the test suite; PHARMEX_WRITERS and
// PHARMEX_RECORDS_PER_WRITER raise them (scripts/reliability-figures.sh),
// and the test prints what it checked on a "figures:" line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/error.h"
#include "dbf/dbf_dataset.h"
#include "platform/text_codec.h"
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
      dbf::TDbfField& who = table.FieldByName("WRITER");
      dbf::TDbfField& seq = table.FieldByName("SEQ");
      dbf::TDbfField& name = table.FieldByName("NAME");
      dbf::TDbfField& note = table.FieldByName("NOTE");
      for (table.First(); !table.Eof(); table.Next(), ++seen) {
        const auto w = static_cast<int>(who.Value().to_int64(table.Settings()));
        const auto s = static_cast<int>(seq.Value().to_int64(table.Settings()));
        const std::string got_name =
            platform::utf16_to_utf8(name.Value().to_text(table.Settings()));
        const std::string got_note =
            platform::utf16_to_utf8(note.Value().to_text(table.Settings()));
        if (got_name != name_of(w, s) || got_note != memo_of(w, s)) {
          throw Error("record " + std::to_string(table.RecNo()) + " is not whole: " + got_name);
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
  // The second exporter starts a little later each trial, and each tries
  // again at once when it is refused, like a user who will not give up: the
  // trials so come back in whatever moment the other leaves open between
  // creating its files and opening them.
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
    // Refused plainly, naming the table the exporter could not have.
    for (int w = 1; w <= 2; ++w) {
      std::istringstream log(read_file(log_of(w)));
      for (std::string message; std::getline(log, message); ++refusals) {
        ASSERT_TRUE(message == "Could not create file " + target ||
                    message == "Access denied to file " + target)
            << message;
      }
    }

    // Each exporter found its own records whole before letting go of the
    // table; what is left is those of the one that came last.
    const TableImage image = read_table_image(target);
    ASSERT_FALSE(image.values.empty());
    EXPECT_EQ(not_whole(image, std::stoi(image.values[0][0]), records), "");
    EXPECT_EQ(memos_overlap(image, dir_.file("RACE.DBT")), "");
    if (HasFailure()) return;
  }
  std::printf("figures: %d races to create one table, %ld refusals, no table merged\n", trials,
              refusals);
}

}  // namespace
}  // namespace pharmex::reliability
