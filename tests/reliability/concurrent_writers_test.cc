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

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/regional_settings.h"
#include "dbf/create_dbf_dataset.h"
#include "dbf/dbf_dataset.h"
#include "export/atomic_text_file.h"
#include "platform/text_codec.h"
#include "reliability/child_process.h"
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

// What writer w puts into its record s: a name and a memo that say who wrote
// them, the memo from 1 to about 1500 characters (one to three blocks).
std::string name_of(int writer, int seq) {
  return "Запись " + std::to_string(writer) + "/" + std::to_string(seq);
}
std::string memo_of(int writer, int seq) {
  const size_t length = 1 + static_cast<size_t>(writer * 7919 + seq * 104729) % 1500;
  std::string text;
  while (text.size() < length)
    text += "w" + std::to_string(writer) + "s" + std::to_string(seq) + ";";
  text.resize(length);
  return text;
}

Variant utf8(const std::string& text) {
  return Variant::string(platform::utf8_to_utf16(text));
}

uint32_t le32(const std::string& bytes, size_t at) {
  uint32_t value = 0;
  for (size_t i = 4; i-- > 0;)
    value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

// Creates the test table at `path` (dBase IV, replacing what is there) and
// leaves `table` open on it; `aside` as an export does, for Commit to put in
// place.
void create_table(dbf::TDbfDataSet& table, const std::string& path, bool aside = false) {
  table.SetTableName(path);
  dbf::TCreateDbfDataSet creator;
  creator.SetDBFTable(&table);
  creator.SetDBFType(dbf::TDbfTypes::DBaseIV);
  creator.SetAutoOverwrite(true);
  creator.SetWriteAside(aside);
  creator.SetCreateFields({"WRITER;N;4;0", "SEQ;N;8;0", "NAME;C;40;0", "NOTE;M;0;0"});
  if (!creator.CreateTable()) throw Error("the table was not created");
}

// Every memo's blocks, from the block number in its record and the length
// word of its memo header: no block belongs to two memos.
void expect_memos_apart(const TableImage& image, const std::string& memo_path) {
  const std::string memo = read_file(memo_path);
  std::set<uint32_t> used;
  for (const std::string& record : image.records) {
    const uint32_t block = std::stoul(record.substr(1 + 4 + 8 + 40, 10));
    const uint32_t blocks = (le32(memo, block * 512 + 4) + 511) / 512;
    for (uint32_t b = block; b < block + blocks; ++b) {
      EXPECT_TRUE(used.insert(b).second) << "block " << b << " is shared";
    }
  }
}

class ConcurrentWritersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dbf::TDbfDataSet table;
    ASSERT_NO_THROW(create_table(table, path_));
  }

  // One writer process: `records` appends through its own shared dataset.
  void write_records(int writer, int records) {
    dbf::TDbfDataSet table;
    table.SetTableName(path_);
    table.Open();
    append_records(table, writer, records);
    table.Close();
  }

  // One exporting process: writes a table for `path` aside, appends
  // `records` records and, while it still holds the table, walks it: it must
  // hold exactly those records, whole. Then puts it in place.
  static void export_records(const std::string& path, int writer, int records) {
    dbf::TDbfDataSet table;
    create_table(table, path, true);
    append_records(table, writer, records);
    const std::string wrong = walked_not_whole(table, writer, records);
    if (!wrong.empty()) throw Error("writer " + std::to_string(writer) + ": " + wrong);
    table.Commit();
  }

  // "" when the open `table` holds exactly `writer`'s `records` records,
  // whole; otherwise the first record that is not.
  static std::string walked_not_whole(dbf::TDbfDataSet& table, int writer, int records) {
    if (table.RecordCount() != records) return std::to_string(table.RecordCount()) + " records";
    int s = 0;
    for (table.First(); !table.Eof(); table.Next(), ++s) {
      const Written got = read_record(table);
      if (got.writer != writer || got.seq != s || got.name != name_of(writer, s) ||
          got.note != memo_of(writer, s)) {
        return "record " + std::to_string(s + 1) + " is " + got.name;
      }
    }
    return "";
  }

  // What a record of the test table says.
  struct Written {
    int writer = 0;
    int seq = 0;
    std::string name;
    std::string note;
  };
  static Written read_record(dbf::TDbfDataSet& table) {
    const RegionalSettings& settings = table.Settings();
    return {static_cast<int>(table.FieldByName("WRITER").Value().to_int64(settings)),
            static_cast<int>(table.FieldByName("SEQ").Value().to_int64(settings)),
            platform::utf16_to_utf8(table.FieldByName("NAME").Value().to_text(settings)),
            platform::utf16_to_utf8(table.FieldByName("NOTE").Value().to_text(settings))};
  }

  // "" when the table holds exactly `writer`'s `records` records, whole.
  static std::string not_whole(const TableImage& image, int writer, int records) {
    if (image.record_count != records || image.header_count != static_cast<uint32_t>(records))
      return std::to_string(image.record_count) + " records, header " +
             std::to_string(image.header_count);
    for (int s = 0; s < records; ++s) {
      const auto& values = image.values[static_cast<size_t>(s)];
      if (std::stoi(values[0]) != writer || std::stoi(values[1]) != s ||
          values[2] != name_of(writer, s) || values[3] != memo_of(writer, s)) {
        return "record " + std::to_string(s + 1) + " is " + values[0] + "/" + values[1];
      }
    }
    return "";
  }

  static void append_records(dbf::TDbfDataSet& table, int writer, int records) {
    dbf::TDbfField& who = table.FieldByName("WRITER");
    dbf::TDbfField& seq = table.FieldByName("SEQ");
    dbf::TDbfField& name = table.FieldByName("NAME");
    dbf::TDbfField& note = table.FieldByName("NOTE");
    for (int s = 0; s < records; ++s) {
      table.Append();
      who.SetValue(Variant::integer(writer));
      seq.SetValue(Variant::integer(s));
      name.SetValue(utf8(name_of(writer, s)));
      note.SetValue(utf8(memo_of(writer, s)));
      table.Post();
    }
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
        const Written got = read_record(table);
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
  EXPECT_EQ(image.record_count, total);
  EXPECT_EQ(image.header_count, static_cast<uint32_t>(total));
  std::map<std::pair<int, int>, int> landed;
  for (const auto& values : image.values) {
    const int w = std::stoi(values[0]), s = std::stoi(values[1]);
    ++landed[{w, s}];
    EXPECT_EQ(values[2], name_of(w, s));
    EXPECT_EQ(values[3], memo_of(w, s)) << "memo of " << w << "/" << s;
  }
  EXPECT_EQ(landed.size(), static_cast<size_t>(total)) << "records lost";
  for (const auto& [key, times] : landed)
    EXPECT_EQ(times, 1) << key.first << "/" << key.second;

  expect_memos_apart(image, dir_.file("SHARED.DBT"));

  long passes = 0, seen = 0;
  std::sscanf(read_file(report).c_str(), "%ld %ld", &passes, &seen);
  std::printf(
      "figures: %d writers x %d records = %d appended, %zu landed once, "
      "reader walked %ld passes over %ld records\n",
      writers, records, total, landed.size(), passes, seen);
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
    expect_memos_apart(image, dir_.file("RACE.DBT"));
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
    create_table(first, target, true);
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
