// The catalogue of bad input, taken through the layouts' routines as a host
// would meet it: damaged order-file headers (each header field), truncated
// and empty files, a folder where a file is expected, read-only targets and
// order files, missing folders, a full disk, paths in the ANSI code page,
// over-long names, and CSV text that is not UTF-8. Each case gives its clear
// message (or works), calls back as promised, and leaves no file open and
// nothing behind beyond what the layout allows.
//
// The damaged-header cases of the table file itself are in
// tests/dbf/dbf_table_test.cc (DbfCorruptionTest); here they come through
// the import.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/regional_settings.h"
#include "dbf/fault_file_system.h"
#include "dbf/open_file_list.h"
#include "export/djinal_table.h"
#include "export/price_export.h"
#include "export/waybill_export.h"
#include "host/run_test_support.h"
#include "import/order_reader.h"
#include "memhost/csv_reader.h"
#include "memhost/csv_writer.h"
#include "platform/paths.h"
#include "reliability/layouts.h"
#include "reliability/table_image.h"
#include "validate/validate_support.h"

namespace pharmex::reliability {
namespace {

namespace fs = std::filesystem;
using pharmex::testing::read_file;
using pharmex::testing::write_file;

// Refuses to open for writing, or to create, the files whose path ends with
// `suffix`, as the system does for a read-only file (also for root, whom
// permission bits do not stop).
class ReadOnlyFiles : public platform::FileSystemWrapper {
 public:
  explicit ReadOnlyFiles(std::string suffix)
      : FileSystemWrapper(platform::posix_file_system()), suffix_(std::move(suffix)) {}

  std::unique_ptr<platform::File> open(std::string_view path, platform::FileAccess access,
                                       platform::FileSharing sharing) override {
    if (path.ends_with(suffix_) && access == platform::FileAccess::kReadWrite) return nullptr;
    return FileSystemWrapper::open(path, access, sharing);
  }
  bool create(std::string_view path) override {
    return !path.ends_with(suffix_) && FileSystemWrapper::create(path);
  }

 private:
  std::string suffix_;
};

class BadInputTest : public host::testing::RunTest {
 protected:
  // Runs a routine on fresh example data; the failure's message ("" when it
  // worked). Checks the callbacks and that no file stayed open.
  std::string run(const Layout& layout, const std::string& path) {
    host::testing::host_events().clear();
    std::string failure;
    {
      host::RunContext run = context();
      layout.give_data(run);
      try {
        layout.routine(run, path);
      } catch (const Error& e) {
        failure = e.what();
      }
      if (layout.kind == LayoutKind::kReader) {
        lines_ = memhost::write_csv(run.lines_dataset().get());
      }
    }
    EXPECT_EQ(dbf::TOpenFileList::Instance().Count(), 0u) << "a file was left open";
    const std::vector<std::string>& events = host::testing::host_events();
    EXPECT_FALSE(events.empty());
    if (!events.empty()) {
      EXPECT_EQ(events.front(), "start " + std::to_string(kHost));
      const bool finished = events.back() == "finish " + std::to_string(kHost);
      EXPECT_EQ(finished, layout.kind != LayoutKind::kText);
    }
    return failure;
  }

  static const Layout& layout(const std::string& name) {
    for (const Layout& layout : all_layouts()) {
      if (layout.name == name) return layout;
    }
    throw std::logic_error("no layout " + name);
  }

  // The order lines after an intact import of a layout's example file.
  std::string intact_import(const Layout& reader) {
    const std::string path = root() + "/intact.dbf";
    fs::copy_file(example_path(reader.example_file), path, fs::copy_options::overwrite_existing);
    EXPECT_EQ(run(reader, path), "");
    return lines_;
  }

  // The order lines before any import.
  std::string initial_lines() {
    host::RunContext run;
    layout("DBF 4 import").give_data(run);
    return memhost::write_csv(run.lines_dataset().get());
  }

  std::string lines_;
};

// One header field (or record byte) of the order file damaged, what the
// import makes of it, and what `pharmex validate` says about it.
struct HeaderDamage {
  const char* what;
  size_t offset;
  std::string bytes;
  // The message ("%s": the path); "" when the file imports as if intact;
  // "nothing" when it imports without merging anything.
  std::string outcome;
  // What validate names at one of the damaged bytes; "" when the file still
  // meets its layout.
  std::string finding;
};

// The header length of the example DBF 4 order (13 fields).
constexpr size_t kHeaderLength = 449;

std::string le16(uint16_t value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

void PrintTo(const HeaderDamage& damage, std::ostream* out) {
  *out << damage.what;
}

class DamagedHeaderTest : public BadInputTest,
                          public ::testing::WithParamInterface<HeaderDamage> {};

TEST_P(DamagedHeaderTest, ImportRefusesOrReadsAsTheFieldAllows) {
  const HeaderDamage& damage = GetParam();
  const Layout& reader = layout("DBF 4 import");
  const std::string intact = intact_import(reader);
  const std::string path = root() + "/order.dbf";
  std::string bytes = read_file(example_path(reader.example_file));
  bytes.replace(damage.offset, damage.bytes.size(), damage.bytes);
  write_file(path, bytes);

  const std::string failure = run(reader, path);
  if (damage.outcome.empty()) {
    EXPECT_EQ(failure, "");
    EXPECT_EQ(lines_, intact);
  } else if (damage.outcome == "nothing") {
    EXPECT_EQ(failure, "");
    EXPECT_EQ(lines_, initial_lines());
  } else {
    EXPECT_EQ(failure, format_message(damage.outcome, {path}));
    EXPECT_EQ(lines_, initial_lines()) << "merged from a refused file";
  }
  EXPECT_EQ(read_file(path), bytes) << "the import changed the order file";
}

TEST_P(DamagedHeaderTest, ValidateNamesTheDamageAtItsBytes) {
  const HeaderDamage& damage = GetParam();
  const std::string path = root() + "/order.dbf";
  std::string bytes = read_file(example_path(layout("DBF 4 import").example_file));
  bytes.replace(damage.offset, damage.bytes.size(), damage.bytes);
  write_file(path, bytes);

  const validate::ValidationReport report = validate::testing::validate(path);
  EXPECT_EQ(report.layout, "order") << validate::testing::listed(report);
  if (damage.finding.empty()) {
    EXPECT_EQ(validate::testing::defects(report), 0u) << validate::testing::listed(report);
  } else {
    bool named = false;
    for (size_t at = damage.offset; at < damage.offset + damage.bytes.size(); ++at)
      named = named || validate::testing::finding_at(report, at, damage.finding) != nullptr;
    EXPECT_TRUE(named) << "no \"" << damage.finding << "\" at bytes " << damage.offset << "-"
                       << damage.offset + damage.bytes.size() - 1 << ":\n"
                       << validate::testing::listed(report);
  }
  EXPECT_EQ(read_file(path), bytes) << "validate changed the order file";
}

// The example DBF 4 order: 13 fields, header length 449, record length 251.
INSTANTIATE_TEST_SUITE_P(
    EachHeaderField, DamagedHeaderTest,
    ::testing::Values(
        HeaderDamage{"version_unknown", 0, "\x02", "Table Header for %s is invalid",
                     "version byte 0x02 is no dBase table the library reads"},
        HeaderDamage{"version_dbase3_memo_without_memo_file", 0, "\x83", "",
                     "version byte 0x83 is no dBase IV table"},
        HeaderDamage{"date", 1, "\xFF\xFF\xFF", "", "is no date"},
        HeaderDamage{"record_count_zero", 4, std::string(4, '\0'), "",
                     "the header counts 0 records"},
        HeaderDamage{"record_count_huge", 4, "\xFF\xFF\xFF\x7F", "",
                     "the header counts 2147483647 records"},
        HeaderDamage{"header_length_zero", 8, le16(0), "Table Header for %s is invalid",
                     "header length 0"},
        HeaderDamage{"header_length_below_fields", 8, le16(40), "Field 'suppl_id' not found",
                     "header length 40"},
        HeaderDamage{"header_length_beyond_file", 8, le16(65535), "Error on Read of file %s",
                     "header length 65535"},
        HeaderDamage{"record_length_zero", 10, le16(0), "Table Header for %s is invalid",
                     "record length 0"},
        HeaderDamage{"record_length_short", 10, le16(20), "Table Header for %s is invalid",
                     "record length 20"},
        HeaderDamage{"record_length_beyond_file", 10, le16(65535), "nothing",
                     "record length 65535"},
        HeaderDamage{"reserved", 12, "\xFF\xFF\xFF", "", ""},
        HeaderDamage{"encrypted", 15, "\x01", "No Password for encrypted file %s",
                     "marks the table encrypted"},
        HeaderDamage{"time_stamp_and_user", 16, std::string(12, '\xFF'), "", ""},
        HeaderDamage{"flags", 28, "\xFF", "", "byte 28 is 0xFF"},
        HeaderDamage{"code_page", 29, "\x65", "", ""},
        HeaderDamage{"code_page_western", 29, "\x01", "",
                     "marks code page 437, but the library reads the text as code page 866"},
        HeaderDamage{"code_page_unknown", 29, "\x42", "", "is no language driver"},
        HeaderDamage{"field_name", 32 * 5, "XXXXXX", "Field 'ART_ID' not found",
                     "the field is no column of the order table"},
        HeaderDamage{"field_length", 32 + 16, "\xFF\xFF", "Table Header for %s is invalid",
                     "cannot hold a number with 255 decimals"},
        // (A "\x00" literal would be an empty string: nothing damaged.)
        HeaderDamage{"terminator", 32 * 14, std::string(1, '\0'), "", "byte 448 is 0x00"}),
    [](const auto& info) { return std::string(info.param.what); });

// Record 1 starts at byte 449: ID at 1, DATE at 32, ART_NAME at 62, MAKER at
// 142, BOX at 182, QTY at 209, PRICE at 220, NDS at 240. Record 3's article
// is not in the price list, so the import never merges it.
constexpr size_t kRecord1 = kHeaderLength;
constexpr size_t kRecord3 = kHeaderLength + 2 * 251;

INSTANTIATE_TEST_SUITE_P(
    RecordBytes, DamagedHeaderTest,
    ::testing::Values(HeaderDamage{"record_deleted", kRecord3, "*", "", "the record is deleted"},
                      HeaderDamage{"deletion_flag", kRecord1, std::string(1, '\0'), "",
                                   "the deletion flag is 0x00"},
                      HeaderDamage{"quantity_decimal_comma", kRecord1 + 209, "        2,5",
                                   "Invalid numeric value in field order->QTY (2,5)",
                                   "has a decimal comma"},
                      HeaderDamage{"price_decimals", kRecord1 + 220, "               187.3", "",
                                   "has 1 decimal, the field 2"},
                      HeaderDamage{"number_blank", kRecord1 + 240, std::string(11, ' '), "",
                                   "the number is blank"},
                      HeaderDamage{"number_left_justified", kRecord1 + 182, "12         ", "",
                                   "is not right-justified"},
                      HeaderDamage{"date_no_date", kRecord1 + 32, "20261345", "", "is no date"},
                      HeaderDamage{"text_in_code_page_1251", kRecord1 + 62, "\xCD", "",
                                   "the text looks like code page 1251"},
                      HeaderDamage{"text_control_character", kRecord1 + 142, "\x09", "",
                                   "byte 0x09 is a control character"},
                      HeaderDamage{"end_mark", kHeaderLength + 3 * 251, " ", "",
                                   "the byte after the last record is 0x20"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(BadInputTest, EveryTruncationOfAnOrderFileFailsCleanlyOrMergesWholeRecords) {
  constexpr size_t kRecordLength = 251;
  const Layout& reader = layout("DBF 4 import");
  const std::string initial = initial_lines();
  const std::string whole = read_file(example_path(reader.example_file));
  const std::string path = root() + "/order.dbf";
  // What the first k records merge, k = 0 ... all.
  std::vector<std::string> merged;
  for (size_t k = 0; kHeaderLength + k * kRecordLength < whole.size(); ++k) {
    write_file(path, whole.substr(0, kHeaderLength + k * kRecordLength));
    EXPECT_EQ(run(reader, path), "");
    merged.push_back(lines_);
  }
  ASSERT_EQ(merged.size(), 4u);
  EXPECT_EQ(merged[0], initial);
  int refused = 0, read = 0;
  for (size_t length = 0; length < whole.size(); ++length) {
    SCOPED_TRACE("cut at " + std::to_string(length));
    write_file(path, whole.substr(0, length));
    const std::string failure = run(reader, path);
    if (length + 1 < kHeaderLength) {
      // Header or descriptors cut (the terminator is not read): refused
      // before anything is merged.
      EXPECT_EQ(failure, "Error on Read of file " + path);
      EXPECT_EQ(lines_, initial);
      ++refused;
    } else {
      // The whole records before the cut are merged; the cut one is not seen.
      EXPECT_EQ(failure, "");
      const size_t records = length < kHeaderLength ? 0 : (length - kHeaderLength) / kRecordLength;
      EXPECT_EQ(lines_, merged[records]);
      ++read;
    }
  }
  std::printf("figures: bad input: %zu truncations of an order file, %d refused, %d read\n",
              whole.size(), refused, read);
}

TEST_F(BadInputTest, AZeroLengthOrderFileIsAReadError) {
  for (const Layout& reader : all_layouts()) {
    if (reader.kind != LayoutKind::kReader) continue;
    const std::string path = root() + "/empty.dbf";
    write_file(path, "");
    EXPECT_EQ(run(reader, path), "Error on Read of file " + path) << reader.name;
  }
}

// Each kind of layout, by one of its kind: what a bad target gives.
struct PathCase {
  const char* layout;
  const char* folder_instead;  // message when the target is a folder
  const char* missing_folder;  // message when its folder does not exist
  const char* read_only;       // message for a read-only target ("" works)
};

void PrintTo(const PathCase& path, std::ostream* out) {
  *out << path.layout;
}

class BadPathTest : public BadInputTest, public ::testing::WithParamInterface<PathCase> {
 protected:
  const Layout& subject() { return layout(GetParam().layout); }
  bool exports() { return subject().kind != LayoutKind::kReader; }
  std::string expected(const char* pattern, const std::string& path) {
    return format_message(pattern, {path});
  }
  // A reader's order file at `path`.
  void place_order_file(const std::string& path) {
    if (!exports()) fs::copy_file(example_path(subject().example_file), path);
  }
};

TEST_P(BadPathTest, AFolderWhereTheFileShouldBe) {
  const std::string path = root() + "/" + subject().file_name;
  fs::create_directory(path);
  fs::create_directory(path + "/inside");
  EXPECT_EQ(run(subject(), path), expected(GetParam().folder_instead, path));
  EXPECT_TRUE(fs::is_directory(path + "/inside")) << "the folder was touched";
  EXPECT_EQ(std::distance(fs::directory_iterator(root()), fs::directory_iterator()), 1)
      << "something was left beside it";
}

TEST_P(BadPathTest, AFolderThatDoesNotExist) {
  const std::string path = root() + "/no/such/folder/" + subject().file_name;
  EXPECT_EQ(run(subject(), path), expected(GetParam().missing_folder, path));
  EXPECT_FALSE(fs::exists(root() + "/no"));
}

TEST_P(BadPathTest, AReadOnlyTarget) {
  const std::string path = root() + "/" + subject().file_name;
  const std::string before = exports() ? "the partner's previous file" : "";
  if (exports()) {
    write_file(path, before);
  } else {
    place_order_file(path);
  }
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ReadOnlyFiles files("/" + subject().file_name);  // for root as well
  Service<platform::FileSystem>::Scoped scope(files);
  const std::string failure = run(subject(), path);
  EXPECT_EQ(failure, expected(GetParam().read_only, path));
  if (exports()) {
    EXPECT_EQ(read_file(path), before) << "the read-only target was replaced";
  } else {
    EXPECT_NE(lines_, initial_lines()) << "the read-only order was not imported";
  }
}

TEST_P(BadPathTest, AnOverlongFileName) {
  const std::string name = std::string(300, 'n') + ".dbf";  // beyond NAME_MAX
  const std::string path = root() + "/" + name;
  const char* pattern = exports() ? GetParam().missing_folder : "Cannot find file %s";
  EXPECT_EQ(run(subject(), path), expected(pattern, path));
  EXPECT_EQ(std::distance(fs::directory_iterator(root()), fs::directory_iterator()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    OneOfEachKind, BadPathTest,
    ::testing::Values(PathCase{"Djinal", "Could not create file %s", "Could not create file %s",
                               "Could not create file %s"},
                      PathCase{"Prices", "Could not create file %s", "Could not create file %s",
                               "Could not create file %s"},
                      PathCase{"E-Farma SST", "Cannot create file %s", "Cannot create file %s",
                               "Cannot create file %s"},
                      PathCase{"DBF 4 import", "Cannot find file %s", "Cannot find file %s", ""}),
    [](const auto& info) { return test_name(info.param.layout); });

// Paths are ANSI (code page 1251) inside the library, not UTF-8: a Cyrillic
// folder of the host reaches the disk as the same letters in UTF-8, and a
// file exported there imports from the same ANSI path.
TEST_F(BadInputTest, AnsiPathsReachTheDiskAsUtf8) {
  const std::string folder = root() + "/\xCD\xE0\xEA\xEB\xE0\xE4\xED\xFB\xE5";  // "Накладные"
  const std::string native = root() + "/Накладные";
  fs::create_directory(native);
  EXPECT_EQ(run(layout("Djinal"), folder + "/\xE7\xE0\xEA\xE0\xE7.dbf"), "");  // "заказ.dbf"
  EXPECT_TRUE(fs::exists(native + "/заказ.dbf"));
  EXPECT_EQ(check_table_sound(folder + "/\xE7\xE0\xEA\xE0\xE7.dbf"), "");

  const std::string order = folder + "/\xE7\xE0\xEA\xE0\xE7-2.dbf";
  fs::copy_file(example_path("order_dbf4.dbf"), native + "/заказ-2.dbf");
  EXPECT_EQ(run(layout("DBF 4 import"), order), "");
  EXPECT_NE(lines_, initial_lines());
}

// A disk that fills up during the export: from the n-th write on every write
// fails, the first of them after a few bytes.
TEST_F(BadInputTest, AFullDiskFailsTheExportAndKeepsWhatWasWritten) {
  int runs = 0;
  for (const char* name : {"Prices", "Djinal", "E-Farma SST"}) {
    const Layout& subject = layout(name);
    const std::string folder = root() + "/" + test_name(name);
    const std::string path = folder + "/" + subject.file_name;
    const int runs_before = runs;
    for (int n = 1;; ++n) {
      SCOPED_TRACE(std::string(name) + ", full from write " + std::to_string(n));
      fs::remove_all(folder);
      fs::create_directory(folder);
      if (subject.kind == LayoutKind::kText) write_file(path, "previous");
      dbf::testing::FaultyFileSystem files;
      files.faults.fail_op = dbf::testing::FileOp::kWrite;
      files.faults.fail_op_number = n;
      files.faults.keep_failing = true;
      files.faults.short_write_bytes = 5;
      std::string failure;
      {
        Service<platform::FileSystem>::Scoped scope(files);
        failure = run(subject, path);
      }
      if (files.faults.injected == 0) break;  // the disk never filled
      ++runs;
      const bool text = subject.kind == LayoutKind::kText;
      EXPECT_EQ(failure, "Error writing to " + (text ? path : files.faults.failed_path));
      if (text) {
        EXPECT_EQ(read_file(path), "previous");
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
      } else if (read_file(path).size() > 32 * 10) {
        EXPECT_EQ(check_table_sound(path), "");
      }
    }
    EXPECT_GT(runs, runs_before) << name << ": the full disk never reached the export";
  }
  std::printf("figures: bad input: %d exports on a disk filling up at each write\n", runs);
}

struct CsvCase {
  const char* what;
  std::string text;
  std::string message;
};

void PrintTo(const CsvCase& csv, std::ostream* out) {
  *out << csv.what;
}

class BadCsvTest : public ::testing::TestWithParam<CsvCase> {};

TEST_P(BadCsvTest, NamesTheLineAndColumn) {
  EXPECT_THROW_MSG(memhost::read_csv(GetParam().text, "lines.csv"), Error, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    NotUtf8, BadCsvTest,
    ::testing::Values(
        CsvCase{"cp1251_cell", "id:integer,name:string(10)\n1,\xCD\xF3\xF0\xEE\xF4\xE5\xED\n",
                "lines.csv:2:3: invalid UTF-8"},
        CsvCase{"cp1251_header", "\xE8\xec\xff:string(10)\nx\n", "lines.csv:1:1: invalid UTF-8"},
        CsvCase{"cut_sequence", "name:string(10)\n\xD0\n", "lines.csv:2:1: invalid UTF-8"},
        CsvCase{"overlong_slash", "name:string(10)\nab\xC0\xAF\n", "lines.csv:2:3: invalid UTF-8"},
        CsvCase{"surrogate", "name:string(10)\n\xED\xA0\x80\n", "lines.csv:2:1: invalid UTF-8"}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace pharmex::reliability
