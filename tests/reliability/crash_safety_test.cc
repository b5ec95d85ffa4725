// A writer killed with SIGKILL at a random moment of an export (the power
// cut, the task manager) leaves the previous table, and its memo file, byte
// for byte; or the complete new pair; or, for a table with a memo file
// killed between the steps that put the pair in place, no table at all.
// Never a prefix, never a table with the other run's memo file. What the
// killed runs left under their temporary names the next run into the folder
// clears.
//
// Each case runs the export once to the end for the reference and its
// duration, and once with fewer lines for the previous file, then kills it
// PHARMEX_KILL_RUNS times (default 30) after a random delay within that
// duration, the previous file in place each time. The delays come from a
// fixed seed, printed with the figures ("figures: crash safety ...").
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>

#include "core/error.h"
#include "core/regional_settings.h"
#include "dbf/create_dbf_dataset.h"
#include "dbf/dbf_dataset.h"
#include "export/generic_waybill_table.h"
#include "export/waybill_export.h"
#include "export/waybill_fixture.h"
#include "host/run_test_support.h"
#include "memhost/csv_reader.h"
#include "platform/clock.h"
#include "platform/text_codec.h"
#include "reliability/child_process.h"
#include "reliability/layouts.h"
#include "reliability/table_image.h"
#include "testing/test_support.h"

namespace pharmex::reliability {
namespace {

namespace fs = std::filesystem;
using pharmex::testing::read_file;

int setting(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && std::atoi(value) > 0 ? std::atoi(value) : fallback;
}

// A waybill of `count` lines, long enough to be caught in the middle.
std::string waybill_lines_csv(int count) {
  std::string rows;
  for (int i = 1; i <= count; ++i) {
    const std::string n = std::to_string(i);
    rows += "1," + std::to_string(10 + i % 90) + ".5," + std::to_string(1 + i % 7) + ",10," + n +
            ",Аспирин " + n + ",Байер,Германия,28,S-" + n + ",2026-01-15,2029-01-15,GTD-" + n +
            ",CERT-" + n + ",2027-01-15,4601234567890\n";
  }
  return rows;
}

// The writers the test kills: the waybill table layouts (the generic one with
// a description long enough for a memo in every record), and a table with a
// memo per record written through the dataset as the generic exports do.
struct Writer {
  std::string name;
  host::Routine routine;  // null: the memo table
  const char* header_columns;
  std::string header_row;
};

void PrintTo(const Writer& writer, std::ostream* out) {
  *out << writer.name;
}

constexpr const char* kMemoHeaderColumns =
    "id:integer,native_id:string(20),date:date,orderdescr:string(300)\n";

std::vector<Writer> writers() {
  const std::string row = "1,A-17,2026-03-02,first\n";
  const std::string long_row = "1,A-17,2026-03-02," + std::string(280, 'd') + "\n";
  return {{"Waybill", exporting::generic_waybill_routine, kMemoHeaderColumns, long_row},
          {"Djinal", exporting::djinal_routine, pharmex::testing::kWaybillHeaderColumns, row},
          {"Apteka M", exporting::apteka_m_routine, pharmex::testing::kWaybillHeaderColumns, row},
          {"memo table", nullptr, "", ""}};
}

void write_memo_table(const std::string& path, int records) {
  dbf::TDbfDataSet table;
  table.SetTableName(path);
  dbf::TCreateDbfDataSet creator;
  creator.SetDBFTable(&table);
  creator.SetDBFType(dbf::TDbfTypes::DBaseIV);
  creator.SetAutoOverwrite(true);
  creator.SetWriteAside(true);
  creator.SetCreateFields({"ID;N;8;0", "NAME;C;30;0", "NOTE;M;0;0"});
  creator.CreateTable();
  dbf::TDbfField& id = table.FieldByName("ID");
  dbf::TDbfField& name = table.FieldByName("NAME");
  dbf::TDbfField& note = table.FieldByName("NOTE");
  for (int r = 1; r <= records; ++r) {
    table.Append();
    id.SetValue(Variant::integer(r));
    name.SetValue(Variant::string(u"Запись " + platform::utf8_to_utf16(std::to_string(r))));
    note.SetValue(
        Variant::ascii(std::string(static_cast<size_t>(1 + r * 37 % 1300), 'a' + r % 26)));
    table.Post();
  }
  table.Commit();
}

class CrashSafetyTest : public host::testing::RunTest,
                        public ::testing::WithParamInterface<Writer> {
 protected:
  static constexpr int kLines = 300;
  static constexpr int kPreviousLines = 7;

  // A table and its memo file (empty when there is none).
  struct Pair {
    std::string table;
    std::string memo;
    bool operator==(const Pair&) const = default;
  };

  std::string path() const { return root() + "/waybill.dbf"; }
  std::string memo_path() const { return root() + "/waybill.dbt"; }
  Pair on_disk() const { return {read_file(path()), read_file(memo_path())}; }
  void put(const Pair& pair) const {
    pharmex::testing::write_file(path(), pair.table);
    if (pair.memo.empty()) {
      fs::remove(memo_path());
    } else {
      pharmex::testing::write_file(memo_path(), pair.memo);
    }
  }

  // The export of `lines` lines, in this process; it ends the child when run
  // there.
  void export_all(int lines = kLines) {
    const Writer& writer = GetParam();
    if (!writer.routine) {
      write_memo_table(path(), lines);
      return;
    }
    host::RunContext run;
    run.set_settings(RegionalSettings{});
    run.set_datasets(nullptr,
                     memhost::read_csv(writer.header_columns + writer.header_row, "headers.csv"),
                     pharmex::testing::waybill_lines(waybill_lines_csv(lines)));
    writer.routine(run, path());
  }

  // What the killed runs left: counts of previous pairs kept, complete new
  // ones, and tables gone between the steps of putting a pair in place.
  struct Found {
    int kept = 0, replaced = 0, none = 0;
  };

  void expect_allowed(const Pair& previous, const Pair& complete, Found& found) {
    if (!fs::exists(path())) {
      // Only two files, one after the other, leave a moment without a table.
      EXPECT_FALSE(complete.memo.empty()) << "a table without memo fields went missing";
      ++found.none;
      return;
    }
    const Pair left = on_disk();
    if (left.table == previous.table) {
      EXPECT_EQ(left.memo, previous.memo) << "the previous table with another memo file";
      ++found.kept;
      return;
    }
    EXPECT_EQ(left.table, complete.table) << "neither the previous table nor the complete one";
    EXPECT_EQ(left.memo, complete.memo) << "the complete table with another memo file";
    ++found.replaced;
  }

  // The moment the headers bear: the memo table's writer takes the process's
  // clock, the routines that of their context (made in the scope).
  platform::FixedClock clock_{DateParts{2026, 3, 2, 10, 30, 15, 250}};
  Service<platform::Clock>::Scoped clock_scope_{clock_};
};

TEST_P(CrashSafetyTest, AKilledWriterLeavesThePreviousTableOrTheWholeNewOne) {
  const int runs = setting("PHARMEX_KILL_RUNS", 30);
  const unsigned seed = static_cast<unsigned>(setting("PHARMEX_KILL_SEED", 20260302));

  ASSERT_EQ(wait_for(spawn([this] { export_all(kPreviousLines); })), "");
  const Pair previous = on_disk();
  ASSERT_EQ(read_table_image(path()).records.size(), static_cast<size_t>(kPreviousLines));
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(wait_for(spawn([this] { export_all(); })), "") << "the complete run failed";
  const auto duration = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - started);
  const Pair complete = on_disk();
  ASSERT_EQ(read_table_image(path()).records.size(), static_cast<size_t>(kLines));
  ASSERT_NE(complete, previous);

  std::mt19937 random(seed);
  std::uniform_int_distribution<int64_t> delay(0, duration.count());
  int killed = 0;
  Found found;
  for (int run = 0; run < runs; ++run) {
    put(previous);
    const int64_t after = delay(random);
    SCOPED_TRACE("killed after " + std::to_string(after) + " us");
    const pid_t child = spawn([this] { export_all(); });
    std::this_thread::sleep_for(std::chrono::microseconds(after));
    ::kill(child, SIGKILL);
    const std::string end = wait_for(child);
    if (end == "signal 9") ++killed;
    expect_allowed(previous, complete, found);
    if (HasFailure()) return;
  }
  // The next run clears what the killed ones left under temporary names.
  const bool left_overs = staged_files_among(pharmex::testing::folder_entries(root()));
  ASSERT_EQ(wait_for(spawn([this] { export_all(); })), "");
  EXPECT_EQ(on_disk(), complete);
  EXPECT_FALSE(staged_files_among(pharmex::testing::folder_entries(root())))
      << "the next run left what the killed runs had left";
  std::printf(
      "figures: crash safety %s: %d runs (seed %u), %d killed mid-export: %d previous tables "
      "kept, %d complete new ones, %d without a table, none partial or crossed%s\n",
      GetParam().name.c_str(), runs, seed, killed, found.kept, found.replaced, found.none,
      left_overs ? "; left-overs cleared by the next run" : "");
}

INSTANTIATE_TEST_SUITE_P(TableWriters, CrashSafetyTest, ::testing::ValuesIn(writers()),
                         [](const ::testing::TestParamInfo<Writer>& info) {
                           return test_name(info.param.name);
                         });

}  // namespace
}  // namespace pharmex::reliability
