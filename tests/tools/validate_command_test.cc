#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "cli_runner.h"
#include "dbf/dbf_test_util.h"
#include "dbf/memo4_file.h"
#include "platform/memory_settings_store.h"
#include "platform/scoped_current_directory.h"
#include "platform/settings_store.h"
#include "testing/test_support.h"

namespace pharmex::cli {
namespace {

namespace fs = std::filesystem;
using pharmex::testing::read_file;
using pharmex::testing::run_cli;
using pharmex::testing::write_file;

std::string example(const char* name) {
  return std::string(PHARMEX_SOURCE_DIR) + "/examples/" + name;
}

class ValidateCommandTest : public ::testing::Test {
 protected:
  // The example DBF 4 order with a decimal comma in record 1's quantity
  // (byte 449 + 209).
  std::string damaged_order() {
    std::string bytes = read_file(example("order_dbf4.dbf"));
    bytes.replace(449 + 209, 11, "        2,5");
    const std::string path = dir_.file("order.dbf");
    write_file(path, bytes);
    return path;
  }

  pharmex::testing::ScopedCurrentDirectory cwd_;
  pharmex::testing::TempDir dir_;
  std::shared_ptr<platform::MemorySettingsStore> registry_ =
      std::make_shared<platform::MemorySettingsStore>();
  Service<platform::SettingsStore>::Scoped registry_scope_{registry_};
};

TEST_F(ValidateCommandTest, AFileThatMeetsItsLayoutExitsWithZeroAndSaysWhichItTook) {
  const std::string path = example("order_unico.dbf");
  auto result = run_cli({"validate", path});
  EXPECT_EQ(result.code, kDone) << result.err;
  EXPECT_EQ(result.out, path +
                            ": checked against import-unico (Unico order file): it has the "
                            "fields its import reads (CODEPST, QNT)\n" +
                            path + ": no findings, the file meets the layout\n");
  EXPECT_EQ(result.err, "");
}

TEST_F(ValidateCommandTest, EachFindingIsOneLineWithFileRecordFieldOffsetProblemAndExpectation) {
  const std::string path = damaged_order();
  auto result = run_cli({"validate", path});
  EXPECT_EQ(result.code, kFailed);
  EXPECT_EQ(result.out, path +
                            ": checked against order (order table): its 13 fields are those of "
                            "the layout\n" +
                            path +
                            ": record 1, field QTY, byte 667: \"        2,5\" has a decimal comma; "
                            "expected a number with \".\" and no decimals, right-justified (the "
                            "library reads no other)\n" +
                            path + ": 1 finding\n");
}

TEST_F(ValidateCommandTest, JsonCarriesTheSameFindingsAsObjects) {
  const std::string path = damaged_order();
  auto result = run_cli({"validate", "--json", path, "--layout", "import-dbf4"});
  EXPECT_EQ(result.code, kFailed);
  EXPECT_EQ(result.out,
            "{\n  \"file\": \"" + path +
                "\",\n  \"layout\": \"import-dbf4\",\n  \"title\": \"DBF 4 order file\",\n"
                "  \"reason\": \"named by --layout\",\n  \"findings\": [\n"
                "    {\"kind\": \"finding\", \"file\": \"" +
                path +
                "\", \"place\": \"record\", \"record\": 1, \"line\": null, \"field\": \"QTY\", "
                "\"offset\": 667, \"problem\": \"\\\"        2,5\\\" has a decimal comma\", "
                "\"expected\": \"a number with \\\".\\\" and no decimals, right-justified (the "
                "library reads no other)\"}\n  ]\n}\n");
}

TEST_F(ValidateCommandTest, APriceListTellsWhatTheImportWouldDoWithEachRecord) {
  const std::string path = example("order_dbf4.dbf");
  auto result = run_cli({"validate", path, "--price", example("order_prices.csv")});
  EXPECT_EQ(result.code, kFailed);
  EXPECT_NE(result.out.find(path + ": checked against import-dbf4 (DBF 4 order file)"),
            std::string::npos)
      << result.out;
  EXPECT_NE(
      result.out.find(path + ": record 3, field ART_ID, byte 1002: the price list has no article "
                             "50877 of supplier 7: the import passes the record over; expected an "
                             "article of the price list\n"),
      std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find(path + ": 1 finding\n"), std::string::npos) << result.out;
}

TEST_F(ValidateCommandTest, NotesDoNotFailAFile) {
  auto exported = run_cli({"export", "waybill", "--header", example("waybill_headers.csv"),
                           "--lines", example("waybill_lines.csv"), "--layout", "efarma-sst",
                           "--dir", dir_.path().string()});
  ASSERT_EQ(exported.code, kDone) << exported.err;
  const std::string path = dir_.file("waybill_4817.SST");
  auto result = run_cli({"validate", path});
  EXPECT_EQ(result.code, kDone) << result.out;
  EXPECT_NE(result.out.find(path + ": note: line 2, byte 26: the total 4613.7500 is not what the "
                                   "body records add up to, 4449.0000"),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find(path + ": no findings (3 notes), the file meets the layout\n"),
            std::string::npos)
      << result.out;
}

// Every file of the folder with its bytes and time of last change.
std::map<std::string, std::pair<std::string, fs::file_time_type>> folder(const fs::path& path) {
  std::map<std::string, std::pair<std::string, fs::file_time_type>> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
    files[entry.path().filename().string()] = {read_file(entry.path().string()),
                                               entry.last_write_time()};
  }
  return files;
}

TEST_F(ValidateCommandTest, NothingIsEverWritten) {
  // A memo table whose memo file is as the table creator leaves it (24
  // bytes, which the engine extends when it opens it for writing), an order
  // file, a text file, and a price list to import against.
  dbf::testing::TableSpec spec;
  spec.version = 0x8B;
  spec.fields = {{"COD", 'N', 8, 0}, {"QTY", 'N', 8, 0}, {"NOTE", 'M', 10, 0}};
  spec.records = {"     501       2         0"};
  write_file(dir_.file("ORDER.DBF"), dbf::testing::MakeTable(spec));
  write_file(dir_.file("ORDER.DBT"), dbf::TMemo4File::InitialHeader("ORDER"));
  fs::copy_file(example("order_prices.csv"), dir_.file("prices.csv"));
  write_file(dir_.file("waybill.txt"), "[Header]\r\nbroken\r\n");
  const auto before = folder(dir_.path());
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"validate", dir_.file("ORDER.DBF")},
        {"validate", dir_.file("ORDER.DBF"), "--layout", "import-khabarovsk", "--price",
         dir_.file("prices.csv")},
        {"validate", dir_.file("waybill.txt"), "--json"}}) {
    auto result = run_cli(args);
    EXPECT_NE(result.code, kUsage) << result.err;
  }
  EXPECT_EQ(folder(dir_.path()), before);
}

TEST_F(ValidateCommandTest, AFileThatCannotBeReadExitsWithOne) {
  auto result = run_cli({"validate", dir_.file("none.dbf")});
  EXPECT_EQ(result.code, kFailed);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "pharmex validate: Cannot open " + dir_.file("none.dbf") + "\n");
}

TEST_F(ValidateCommandTest, UsageErrorsExitWithTwo) {
  const std::string order = example("order_unico.dbf");
  auto missing = run_cli({"validate"});
  EXPECT_EQ(missing.code, kUsage);
  EXPECT_EQ(missing.err,
            "pharmex validate: missing FILE\n"
            "usage: pharmex validate FILE [--layout NAME] [--price P.csv] [--json]\n");
  auto empty = run_cli({"validate", ""});
  EXPECT_EQ(empty.code, kUsage);
  EXPECT_EQ(empty.err.rfind("pharmex validate: the file name is empty\n", 0), 0u) << empty.err;
  EXPECT_EQ(run_cli({"validate", order, "--price", ""}).code, kUsage);
  auto unknown = run_cli({"validate", order, "--layout", "nope"});
  EXPECT_EQ(unknown.code, kUsage);
  EXPECT_NE(unknown.err.find("unknown layout 'nope' (one of supplier, order, price, "
                             "price-khabarovsk, price-unico, waybill, waybill-djinal, "
                             "waybill-apteka-m, import-dbf4, import-khabarovsk, import-unico, "
                             "waybill-efarma-sst, waybill-apteka2000w)"),
            std::string::npos)
      << unknown.err;
  auto price_for_a_price_table =
      run_cli({"validate", order, "--layout", "price", "--price", example("order_prices.csv")});
  EXPECT_EQ(price_for_a_price_table.code, kUsage);
  EXPECT_NE(price_for_a_price_table.err.find("a price list goes with an order file"),
            std::string::npos)
      << price_for_a_price_table.err;
  write_file(dir_.file("w.SST"), "[Header]\r\n");
  auto price_for_a_text =
      run_cli({"validate", dir_.file("w.SST"), "--price", example("order_prices.csv")});
  EXPECT_EQ(price_for_a_text.code, kUsage);
  EXPECT_EQ(run_cli({"validate", order, "--wide"}).code, kUsage);
}

}  // namespace
}  // namespace pharmex::cli
