// Host CSV files read on demand (open_csv_file): where the rows start, a
// file that changes or fails while it is read, and the property that the
// library writes the same files from a dataset read on demand as from one
// loaded into memory.
#include "memhost/csv_file_rows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/error.h"
#include "dbf/fault_file_system.h"
#include "host/host_dataset.h"
#include "memhost/csv_reader.h"
#include "memhost/csv_writer.h"
#include "memhost/memory_dataset.h"
#include "memhost/row_offsets.h"
#include "pharmex/pharmex.h"
#include "platform/clock.h"
#include "platform/memory_settings_store.h"
#include "platform/settings_store.h"
#include "testing/test_support.h"

namespace pharmex::memhost {
namespace {

using host::HostDataSet;
using pharmex::testing::read_file;
using pharmex::testing::write_file;

constexpr uint64_t kGiB = uint64_t{1} << 30;

TEST(RowOffsetsTest, KeepsEveryOffsetAcrossChunksAndEvery4GiB) {
  // Rows of 100 bytes, then jumps over one and over two 4 GiB marks, and
  // rows on a mark itself.
  std::vector<uint64_t> offsets;
  for (uint64_t row = 0; row < 40000; ++row)
    offsets.push_back(row * 100);
  offsets.push_back(4 * kGiB - 1);
  offsets.push_back(4 * kGiB);
  offsets.push_back(4 * kGiB);
  offsets.push_back(13 * kGiB + 7);
  for (uint64_t row = 0; row < 20000; ++row)
    offsets.push_back(16 * kGiB + row);
  RowOffsets list;
  for (uint64_t offset : offsets)
    list.push_back(offset);
  ASSERT_EQ(list.size(), offsets.size());
  for (size_t row = 0; row < offsets.size(); ++row)
    ASSERT_EQ(list[row], offsets[row]) << "row " << row;
}

std::string rows_of(int count, const std::string& text) {
  std::string csv = "id:integer,name:string(40)\n";
  for (int i = 0; i < count; ++i)
    csv += std::to_string(i) + "," + text + "\n";
  return csv;
}

// Overwrites bytes in place, as an editor that saves into the same file
// would (not by renaming a new file over it).
void overwrite(const std::string& path, uint64_t offset, const std::string& bytes) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(static_cast<std::streamoff>(offset));
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct ChangeCase {
  const char* name;
  int rows;
  bool after_first_row;  // else right after opening
  void (*change)(const std::string& path);
};

void PrintTo(const ChangeCase& c, std::ostream* out) {
  *out << c.name;
}

class ChangedFileTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ChangedFileTest, IsRefusedWhenItsRowsAreReadAgain) {
  const ChangeCase& c = GetParam();
  pharmex::testing::TempDir dir;
  const std::string path = dir.file("prices.csv");
  write_file(path, rows_of(c.rows, "Аспирин"));
  auto data = open_csv_file(path);
  HostDataSet view(data);
  host::HostField name = view.field(1);
  view.first();
  if (c.after_first_row) {
    EXPECT_EQ(name.value().string_value(), u"Аспирин");
  }
  c.change(path);
  EXPECT_THROW_MSG(
      {
        for (; !view.eof(); view.next())
          name.value();
      },
      Error, "The file " + path + " changed while it was read");
  EXPECT_EQ(data->failures().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, ChangedFileTest,
    ::testing::Values(ChangeCase{"ALetterOfTheSameLength", 3, false,
                                 [](const std::string& path) { overwrite(path, 40, "X"); }},
                      ChangeCase{
                          "Shortened", 3, false,
                          [](const std::string& path) { std::filesystem::resize_file(path, 40); }},
                      ChangeCase{"Grown", 3, false,
                                 [](const std::string& path) {
                                   std::ofstream(path, std::ios::app | std::ios::binary) << "9,x\n";
                                 }},
                      // Rows read long after the first ones, in another piece of the file.
                      ChangeCase{"PastThePieceReadFirst", 40000, true,
                                 [](const std::string& path) {
                                   overwrite(path, std::filesystem::file_size(path) - 3, "Z");
                                 }}),
    [](const auto& info) { return info.param.name; });

TEST(OnDemandCsvTest, AFileRenamedOverTheOpenOneLeavesItsRowsAlone) {
  pharmex::testing::TempDir dir;
  const std::string path = dir.file("lines.csv");
  write_file(path, rows_of(2, "old"));
  auto data = open_csv_file(path);
  write_file(dir.file("new.csv"), rows_of(2, "new"));
  std::filesystem::rename(dir.file("new.csv"), path);
  EXPECT_EQ(data->value(1, 1).string_value(), u"old");
}

TEST(OnDemandCsvTest, WritingTheRowsOverTheirOwnFileKeepsThem) {
  pharmex::testing::TempDir dir;
  const std::string path = dir.file("lines.csv");
  const std::string text = rows_of(3, "\"a, \"\"b\"\"\"");
  write_file(path, text);
  auto data = open_csv_file(path);
  HostDataSet view(data);
  view.append();
  view.field(0).set_value(Variant::integer(7));
  view.post();
  write_csv_file(data.get(), path);
  EXPECT_EQ(read_file(path), text + "7,\n");
}

struct FaultCase {
  const char* name;
  dbf::testing::FileOp op;
  int number;  // of the operations of that kind on the file
  bool on_opening;
  const char* message;  // before the path
};

void PrintTo(const FaultCase& c, std::ostream* out) {
  *out << c.name;
}

class FileFaultTest : public ::testing::TestWithParam<FaultCase> {};

// The file goes through the platform's file system, so a fault injected
// there reaches the host; the failure names the file.
TEST_P(FileFaultTest, FailsWithTheFilesName) {
  const FaultCase& c = GetParam();
  pharmex::testing::TempDir dir;
  const std::string path = dir.file("prices.csv");
  write_file(path, rows_of(3, "x"));
  dbf::testing::FaultyFileSystem files;
  files.faults.path_suffix = ".csv";
  files.faults.fail_op = c.op;
  files.faults.fail_op_number = c.number;
  Service<platform::FileSystem>::Scoped scope(files);
  const std::string message = c.message + path;
  if (c.on_opening) {
    EXPECT_THROW_MSG(open_csv_file(path), Error, message);
    return;
  }
  auto data = open_csv_file(path);
  HostDataSet view(data);
  EXPECT_THROW_MSG(view.field(1).value(), Error, message);
  EXPECT_EQ(files.faults.injected, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FileFaultTest,
    ::testing::Values(
        FaultCase{"Open", dbf::testing::FileOp::kOpen, 1, true, "Cannot open "},
        FaultCase{"SizeOnOpening", dbf::testing::FileOp::kSize, 1, true, "Cannot read "},
        FaultCase{"ReadOfTheScan", dbf::testing::FileOp::kRead, 1, true, "Cannot read "},
        FaultCase{"ReadOfARow", dbf::testing::FileOp::kRead, 2, false, "Cannot read "},
        FaultCase{"SizeOfARowRead", dbf::testing::FileOp::kSize, 3, false, "Cannot read "}),
    [](const auto& info) { return info.param.name; });

// Generated price lists: nulls, empty and quoted texts with commas, quotes
// and line breaks, Cyrillic, texts long enough for memos, records ended by
// LF or CR LF (the last one sometimes by nothing), a lone CR inside texts,
// and now and then a byte-order mark.
class PriceListMaker {
 public:
  explicit PriceListMaker(unsigned seed) : random_(seed) {}

  std::string make(int rows) {
    std::string csv = chance(10) ? "\xEF\xBB\xBF" : "";
    csv +=
        "suppliers_id:integer,art_id:largeint,art_name:string(80),maker:string(600),"
        "box:float,dateworkfirst:date,dateworklast:datetime,price:currency,nds:smallint,"
        "groups_new:boolean";
    for (int row = 0; row < rows; ++row) {
      csv += chance(50) ? "\r\n" : "\n";
      csv +=
          cell(std::to_string(pick(1, 9))) + "," +
          cell(std::to_string(pick(-2000000000, 2000000000)) + "000") + "," + text_cell(60) + "," +
          text_cell(chance(15) ? 900 : 40) + "," + cell(real()) + "," + cell(date()) + "," +
          cell(date() + " " + two(pick(0, 23)) + ":" + two(pick(0, 59)) + ":" + two(pick(0, 59))) +
          "," + cell(std::to_string(pick(-99999, 99999)) + "." + std::to_string(pick(0, 99))) +
          "," + cell(std::to_string(pick(-32768, 32767))) + "," + cell(chance(50) ? "true" : "0");
    }
    if (chance(50)) csv += chance(50) ? "\r\n" : "\n";
    return csv;
  }

 private:
  bool chance(int percent) { return pick(1, 100) <= percent; }
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  static std::string two(int n) { return (n < 10 ? "0" : "") + std::to_string(n); }

  // A value, or null now and then (an unquoted empty cell).
  std::string cell(const std::string& value) { return chance(15) ? "" : value; }

  std::string real() {
    return std::to_string(pick(-100000, 100000)) + "." + std::to_string(pick(0, 999)) +
           (chance(20) ? "e" + std::to_string(pick(-5, 5)) : "");
  }

  std::string date() {
    return std::to_string(pick(1900, 2099)) + "-" + two(pick(1, 12)) + "-" + two(pick(1, 28));
  }

  std::string text_cell(int longest) {
    if (chance(10)) return "";     // null
    if (chance(5)) return "\"\"";  // an empty text
    static const char* const kPieces[] = {"Аспирин", " ",    "таб.", "№28", ",",  "\"",
                                          "\n",      "\r\n", "\r",   "x",   "Ёж", "500мг"};
    std::string text;
    const int length = pick(1, longest);
    while (static_cast<int>(text.size()) < length)
      text += kPieces[pick(0, static_cast<int>(std::size(kPieces)) - 1)];
    bool must_quote = text.find_first_of(",\"\n") != std::string::npos || text.ends_with('\r');
    if (!must_quote && chance(80)) return text;
    std::string quoted = "\"";
    for (char c : text) {
      if (c == '"') quoted += '"';
      quoted += c;
    }
    return quoted + "\"";
  }

  std::mt19937 random_;
};

// What price_export_to_file writes from a dataset: the table, then its memo
// file ("" when there is none). The memo file's header names the table, so
// the two hosts' files are compared under one name, in two folders.
std::string exported(IDataSet* prices, const std::string& path) {
  price_export_to_file(prices, path.c_str());
  EXPECT_STREQ(pharmex_last_error(), "");
  std::string memo = path.substr(0, path.size() - 4) + ".dbt";
  return read_file(path) + "\n--memo--\n" + read_file(memo);
}

TEST(OnDemandCsvTest, TheLibraryWritesTheSameFilesFromEitherHost) {
  platform::FixedClock clock(DateParts{2026, 3, 14, 9, 26, 53, 0});
  Service<platform::Clock>::Scoped clock_scope(clock);
  auto store = std::make_shared<platform::MemorySettingsStore>();
  store->create_key(platform::kHostSettingsKey);
  Service<platform::SettingsStore>::Scoped store_scope(store);
  pharmex::testing::TempDir dir;
  std::filesystem::create_directory(dir.file("a"));
  std::filesystem::create_directory(dir.file("b"));
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    const std::string text = PriceListMaker(seed).make(static_cast<int>(seed % 7) * 9);
    const std::string path = dir.file("prices.csv");
    write_file(path, text);
    auto in_memory = read_csv(text, path);
    auto on_demand = open_csv_file(path);
    ASSERT_EQ(on_demand->row_count(), in_memory->row_count());
    const std::string from_memory = exported(in_memory.get(), dir.file("a/prices.dbf"));
    EXPECT_EQ(exported(on_demand.get(), dir.file("b/prices.dbf")), from_memory);
    EXPECT_EQ(write_csv(on_demand.get()), write_csv(in_memory.get()));
    EXPECT_TRUE(on_demand->failures().empty());
  }
}

}  // namespace
}  // namespace pharmex::memhost
