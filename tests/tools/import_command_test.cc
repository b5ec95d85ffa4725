// pharmex import: the example order files merged into the example order
// lines through the dialog and without it, and what a failure leaves.
#include <gtest/gtest.h>

#include <filesystem>

#include "cli_runner.h"
#include "import/import_fixture.h"
#include "platform/memory_settings_store.h"
#include "platform/scoped_current_directory.h"
#include "platform/settings_store.h"
#include "testing/test_support.h"

namespace pharmex::cli {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::run_cli;

std::string example(const std::string& name) {
  return std::string(PHARMEX_SOURCE_DIR) + "/examples/" + name;
}

const std::string kLinesHeader =
    "RecId:integer,suppliers_id:integer,art_id:integer,art_name:string(80),maker:string(40),"
    "price:float,qty:integer\n";
const std::string kAspirin = "1,3,50211,Аспирин Кардио таб. 100мг №28,Байер,156.4,";
const std::string kNurofen = "2,7,50299,Нурофен таб. №12,Рекитт Бенкизер,187.3,";

class ImportCommandTest : public ::testing::Test {
 protected:
  std::vector<std::string> import(const std::string& order, std::vector<std::string> more) {
    std::vector<std::string> args = {"import",
                                     "--price",
                                     example("order_prices.csv"),
                                     "--lines",
                                     example("current_order_lines.csv"),
                                     order,
                                     "--out",
                                     merged_};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  // A closing dialog makes the folder it showed the current directory.
  pharmex::testing::ScopedCurrentDirectory cwd_;
  pharmex::testing::TempDir dir_;
  std::string merged_ = dir_.file("merged.csv");
  std::shared_ptr<platform::MemorySettingsStore> registry_ =
      std::make_shared<platform::MemorySettingsStore>();
  Service<platform::SettingsStore>::Scoped registry_scope_{registry_};
};

struct ExampleCase {
  const char* name;
  std::vector<std::string> options;
  std::string file;
  std::string merged;  // rows after the header
  std::string told;
};

void PrintTo(const ExampleCase& c, std::ostream* out) {
  *out << c.name;
}

class ImportExampleTest : public ImportCommandTest,
                          public ::testing::WithParamInterface<ExampleCase> {};

TEST_P(ImportExampleTest, MergesTheExampleOrder) {
  const ExampleCase& c = GetParam();
  auto result = run_cli(import(example(c.file), c.options));
  ASSERT_EQ(result.code, kDone) << result.err;
  EXPECT_EQ(result.out, c.told + "; order lines written to " + merged_ + "\n");
  EXPECT_EQ(read_file(merged_), kLinesHeader + c.merged);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ImportExampleTest,
    ::testing::Values(ExampleCase{"Dbf4ThroughTheDialog",
                                  {},
                                  "order_dbf4.dbf",
                                  kAspirin + "2\n" + kNurofen +
                                      "3\n,7,70114,Лоратадин таб. 10мг №10,Озон,64.5,4\n",
                                  "1 line raised, 1 line added"},
                      ExampleCase{"Dbf4WithoutDialog",
                                  {"--no-dialog"},
                                  "order_dbf4.dbf",
                                  kAspirin + "2\n" + kNurofen +
                                      "3\n,7,70114,Лоратадин таб. 10мг №10,Озон,64.5,4\n",
                                  "1 line raised, 1 line added"},
                      ExampleCase{
                          "Khabarovsk",
                          {"--layout", "khabarovsk"},
                          "order_khabarovsk.dbf",
                          kAspirin + "5\n" + kNurofen +
                              "1\n,3,50877,Парацетамол таб. 500мг №10,Фармстандарт,48.9,10\n",
                          "1 line raised, 1 line added"},
                      ExampleCase{"UnicoByTypeNumber",
                                  {"--type", "2"},
                                  "order_unico.dbf",
                                  kAspirin + "3\n" + kNurofen +
                                      "1\n,3,61023,Бинт стерильный 7м х 14см,Эвтекс,312.75,5\n",
                                  "1 line raised, 1 line added"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImportCommandTest, ADamagedOrderFileExitsWithOneAndWritesWhatWasMerged) {
  // The second record's quantity is no dBase number.
  std::string order = dir_.file("damaged.dbf");
  importing::testing::write_order_file(order, {"COD;N;8;0", "QTY;N;8;0"},
                                       {{Variant::integer(50211), Variant::integer(3)},
                                        {Variant::integer(50877), Variant::integer(9999)}});
  importing::testing::patch_file(order, "9999", "9,99");
  auto result = run_cli(import(order, {"--layout", "khabarovsk"}));
  EXPECT_EQ(result.code, kFailed);
  EXPECT_EQ(result.err, "pharmex: Invalid numeric value in field damaged->QTY (9,99)\n");
  EXPECT_EQ(result.out, "1 line raised, 0 lines added; order lines written to " + merged_ + "\n");
  EXPECT_EQ(read_file(merged_), kLinesHeader + kAspirin + "5\n" + kNurofen + "1\n");
}

TEST_F(ImportCommandTest, ARelativeOutputPathIsTakenBeforeTheDialogMovesAway) {
  // The dialog makes the examples folder current; the merged lines still go
  // where the command line meant.
  std::filesystem::current_path(dir_.path());
  auto result = run_cli({"import", "--price", example("order_prices.csv"), "--lines",
                         example("current_order_lines.csv"), example("order_khabarovsk.dbf"),
                         "--layout", "khabarovsk", "--out", "merged.csv"});
  ASSERT_EQ(result.code, kDone) << result.err;
  EXPECT_TRUE(std::filesystem::exists(dir_.file("merged.csv")));
}

TEST_F(ImportCommandTest, AMissingOrderFileIsReportedWithoutTheDialog) {
  auto result = run_cli(import(dir_.file("none.dbf"), {"--no-dialog"}));
  EXPECT_EQ(result.code, kFailed);
  EXPECT_EQ(result.err, "pharmex import: Cannot find file " + dir_.file("none.dbf") + "\n");
  EXPECT_EQ(read_file(merged_), read_file(example("current_order_lines.csv")));
}

TEST_F(ImportCommandTest, UsageErrorsExitWithTwo) {
  std::string order = example("order_dbf4.dbf");
  EXPECT_EQ(run_cli(import(order, {"--type", "3"})).code, kUsage);
  // One parser with the export command, over the import kind's file types.
  auto unknown = run_cli(import(order, {"--layout", "apteka"}));
  EXPECT_EQ(unknown.code, kUsage);
  EXPECT_EQ(unknown.err.rfind("pharmex import: unknown layout 'apteka' (one of dbf4, khabarovsk, "
                              "unico)\n",
                              0),
            0u)
      << unknown.err;
  EXPECT_EQ(run_cli(import(order, {"--type", "1", "--layout", "unico"})).code, kUsage);
  EXPECT_EQ(run_cli(import(order, {"--layout", "unico", "--no-dialog"})).code, kUsage);
  EXPECT_EQ(run_cli({"import", "--price", "p.csv", "--lines", "l.csv", "--out", merged_}).code,
            kUsage);
  EXPECT_FALSE(std::filesystem::exists(merged_));
}

TEST_F(ImportCommandTest, ABrokenCsvFileIsNamed) {
  std::string prices = dir_.file("p.csv");
  pharmex::testing::write_file(prices, "suppliers_id:integer,art_id:integer\nx,1\n");
  auto result = run_cli({"import", "--price", prices, "--lines", example("current_order_lines.csv"),
                         example("order_dbf4.dbf"), "--out", merged_});
  EXPECT_EQ(result.code, kFailed);
  EXPECT_NE(result.err.find("p.csv:2:1:"), std::string::npos) << result.err;
  EXPECT_FALSE(std::filesystem::exists(merged_));
}

}  // namespace
}  // namespace pharmex::cli
