#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "cli_runner.h"
#include "export/exported_table.h"
#include "platform/memory_settings_store.h"
#include "platform/scoped_current_directory.h"
#include "platform/settings_store.h"
#include "testing/test_support.h"

namespace pharmex::cli {
namespace {

using pharmex::testing::ExportedTable;
using pharmex::testing::run_cli;

std::string example(const char* name) {
  return std::string(PHARMEX_SOURCE_DIR) + "/examples/" + name;
}

class ExportCommandTest : public ::testing::Test {
 protected:
  std::vector<std::string> waybill(std::vector<std::string> more) {
    std::vector<std::string> args = {"export",   "waybill",
                                     "--header", example("waybill_headers.csv"),
                                     "--lines",  example("waybill_lines.csv")};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  // A dialog that closes makes its folder the current directory; the test's
  // folder goes away with the test.
  pharmex::testing::ScopedCurrentDirectory cwd_;
  pharmex::testing::TempDir dir_;
  std::shared_ptr<platform::MemorySettingsStore> registry_ =
      std::make_shared<platform::MemorySettingsStore>();
  Service<platform::SettingsStore>::Scoped registry_scope_{registry_};
};

TEST_F(ExportCommandTest, ExportsTheExampleWaybillToAFolder) {
  auto result = run_cli(waybill({"--layout", "efarma-sst", "--dir", dir_.path().string()}));
  ASSERT_EQ(result.code, kDone) << result.err;
  std::string path = dir_.file("waybill_4817.SST");
  EXPECT_EQ(result.out, path + "\n");
  std::string file = pharmex::testing::read_file(path);
  EXPECT_EQ(file.rfind("[Header]\r\n4817;01.12.2026;", 0), 0u) << file;
  // The host's key was created by the tool, and the folder remembered in it.
  EXPECT_EQ(registry_->read_string(platform::kHostSettingsKey, "waybill_export_path"),
            dir_.path().string());
}

TEST_F(ExportCommandTest, PrintsTheFileTheLibraryWroteWhateverTheWaybillNumber) {
  std::string headers = dir_.file("headers.csv");
  pharmex::testing::write_file(headers,
                               "id:integer,native_id:string(20),date:date,suppliers_id:integer,"
                               "orderdescr:string(100)\n1001,/../РН-123/45,2026-12-01,3,x\n");
  std::filesystem::create_directory(dir_.file("out"));
  auto result = run_cli({"export", "waybill", "--header", headers, "--lines",
                         example("waybill_lines.csv"), "--type", "0", "--dir", dir_.file("out")});
  ASSERT_EQ(result.code, kDone) << result.err;
  // The number's dot counts as the name's extension: none is added.
  std::string path = dir_.file("out") + "/waybill__.._РН-123_45";
  EXPECT_EQ(result.out, path + "\n");
  EXPECT_GT(ExportedTable(path).record_count(), 0u);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(dir_.path()))
    files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{headers, dir_.file("out"), path}));
}

TEST_F(ExportCommandTest, AnswersTheDialogForAPath) {
  auto result = run_cli(waybill({"--type", "2", "--out", dir_.file("delivery")}));
  ASSERT_EQ(result.code, kDone) << result.err;
  EXPECT_EQ(result.out, dir_.file("delivery.txt") + "\n");
  EXPECT_TRUE(std::filesystem::exists(dir_.file("delivery.txt")));
}

TEST_F(ExportCommandTest, AFailedRunExitsWithOneAndItsMessage) {
  std::string lines = dir_.file("lines.csv");
  pharmex::testing::write_file(lines, "waybillheads_id:integer,price:float,qty:float\n1001,,1\n");
  auto result = run_cli({"export", "waybill", "--header", example("waybill_headers.csv"), "--lines",
                         lines, "--type", "1", "--dir", dir_.path().string()});
  EXPECT_EQ(result.code, kFailed);
  EXPECT_EQ(result.err,
            "pharmex export: Could not convert variant of type (Null) into type (Double)\n");
  EXPECT_FALSE(std::filesystem::exists(dir_.file("waybill_4817.SST")));
}

TEST_F(ExportCommandTest, AMissingFolderIsReported) {
  auto result = run_cli(waybill({"--type", "1", "--dir", dir_.file("nowhere")}));
  EXPECT_EQ(result.code, kFailed);
  EXPECT_NE(result.err.find("no such folder"), std::string::npos);
}

TEST_F(ExportCommandTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(run_cli(waybill({"--type", "9", "--dir", "/tmp"})).code, kUsage);
  // The names and the count come from the waybill kind's file types.
  auto unknown = run_cli(waybill({"--layout", "nope", "--dir", "/tmp"}));
  EXPECT_EQ(unknown.code, kUsage);
  EXPECT_EQ(unknown.err.rfind("pharmex export: unknown layout 'nope' (one of dbf4, efarma-sst, "
                              "apteka2000w, gornyvershini, djinal, apteka-m)\n",
                              0),
            0u)
      << unknown.err;
  for (const char* type : {"+1", "1x", "", "-0", "99999999999999999999"}) {
    auto bad = run_cli(waybill({"--type", type, "--dir", "/tmp"}));
    EXPECT_EQ(bad.code, kUsage) << type;
    EXPECT_EQ(bad.err.rfind("pharmex export: --type must be a number from 0 to 5\n", 0), 0u)
        << type << ": " << bad.err;
  }
  EXPECT_EQ(run_cli(waybill({"--type", "1"})).code, kUsage);
  // An empty file or folder name is no name at all.
  for (const std::vector<std::string>& empty :
       {waybill({"--type", "1", "--dir", ""}), waybill({"--type", "1", "--out="}),
        std::vector<std::string>{"export", "supplier", "--data", "", "--out", "/tmp/s.dbf"}}) {
    auto refused = run_cli(empty);
    EXPECT_EQ(refused.code, kUsage) << refused.err;
    EXPECT_EQ(refused.err.rfind("pharmex export: option --", 0), 0u) << refused.err;
    EXPECT_NE(refused.err.find(" needs a value\n"), std::string::npos) << refused.err;
  }
  EXPECT_EQ(run_cli({"export"}).code, kUsage);
  EXPECT_EQ(run_cli({"export", "invoices"}).code, kUsage);
}

TEST_F(ExportCommandTest, ABrokenCsvFileIsNamed) {
  std::string broken = dir_.file("h.csv");
  pharmex::testing::write_file(broken, "id:integer\nx\n");
  auto result = run_cli({"export", "waybill", "--header", broken, "--lines",
                         example("waybill_lines.csv"), "--dir", dir_.path().string()});
  EXPECT_EQ(result.code, kFailed);
  EXPECT_NE(result.err.find("h.csv:2:1"), std::string::npos) << result.err;
}

TEST_F(ExportCommandTest, ExportsTheExampleSuppliersThroughTheDialog) {
  auto result = run_cli(
      {"export", "supplier", "--data", example("suppliers.csv"), "--out", dir_.file("supplier")});
  ASSERT_EQ(result.code, kDone) << result.err;
  EXPECT_EQ(result.out, dir_.file("supplier.dbf") + "\n");
  ExportedTable table(dir_.file("supplier.dbf"));
  EXPECT_EQ(table.fields(), (std::vector<std::string>{"ID N 11/0", "NAME C 60/0"}));
  EXPECT_EQ(table.column("ID"), (std::vector<std::string>{"3", "5", "8", "12", "17"}));
  EXPECT_EQ(table.text(1, "NAME"), "ООО Протек-Урал");
  EXPECT_EQ(registry_->read_string(platform::kHostSettingsKey, "supplier_export_path"),
            dir_.path().string());
}

TEST_F(ExportCommandTest, ExportsTheExampleOrderWithEachLinesOwnHeader) {
  auto result = run_cli({"export", "order", "--header", example("order_headers.csv"), "--lines",
                         example("order_lines.csv"), "--out", dir_.file("order.dbf")});
  ASSERT_EQ(result.code, kDone) << result.err;
  ExportedTable table(dir_.file("order.dbf"));
  EXPECT_EQ(table.column("ART_ID"),
            (std::vector<std::string>{"50211", "50877", "61023", "70455", "80312"}));
  EXPECT_EQ(table.column("NATIVE_ID"),
            (std::vector<std::string>{"З-0301", "З-0301", "З-0302", "З-0301", "З-0302"}));
  EXPECT_EQ(table.column("SUPPL_ID"), (std::vector<std::string>{"5", "5", "8", "5", "8"}));
}

struct PriceLayoutCase {
  const char* layout;
  const char* type;
  size_t record_length;
  bool remembers;
};

class ExportPriceCommandTest : public ExportCommandTest,
                               public ::testing::WithParamInterface<PriceLayoutCase> {};

TEST_P(ExportPriceCommandTest, WritesTheExamplePriceListInTheLayout) {
  for (const char* option : {"--layout", "--type"}) {
    std::string value = option == std::string("--layout") ? GetParam().layout : GetParam().type;
    std::string name = dir_.file(std::string("price_") + GetParam().layout + "_" + (option + 2));
    auto result = run_cli(
        {"export", "price", "--data", example("price_list.csv"), option, value, "--out", name});
    ASSERT_EQ(result.code, kDone) << result.err;
    EXPECT_EQ(result.out, name + ".dbf\n");
    ExportedTable table(name + ".dbf");
    EXPECT_EQ(table.record_length(), GetParam().record_length);
    EXPECT_EQ(table.record_count(), 7u);
  }
  EXPECT_EQ(registry_->read_string(platform::kHostSettingsKey, "price_export_path"),
            GetParam().remembers ? dir_.path().string() : "");
}

INSTANTIATE_TEST_SUITE_P(Layouts, ExportPriceCommandTest,
                         ::testing::Values(PriceLayoutCase{"dbf4", "0", 401, true},
                                           PriceLayoutCase{"khabarovsk", "1", 215, false},
                                           PriceLayoutCase{"unico", "2", 301, true}),
                         [](const auto& info) { return std::string(info.param.layout); });

// A price list that fails at a row (here the third, whose price is too wide
// for CENA) leaves yesterday's table as the partner found it, not a complete
// looking table of the rows before.
TEST_F(ExportCommandTest, AFailingRowKeepsYesterdaysPriceList) {
  const std::string target = dir_.file("price.dbf");
  auto yesterday = run_cli({"export", "price", "--data", example("price_list.csv"), "--layout",
                            "khabarovsk", "--out", target});
  ASSERT_EQ(yesterday.code, kDone) << yesterday.err;
  const std::string yesterdays = pharmex::testing::read_file(target);

  std::string today = pharmex::testing::read_file(example("price_list.csv"));
  size_t row = 0;
  for (int n = 0; n < 3; ++n)
    row = today.find('\n', row) + 1;
  // The third row's cells (the example has no quoted commas), its price the
  // ninth.
  std::vector<std::string> cells;
  const size_t end = today.find('\n', row);
  std::string line = today.substr(row, end - row);
  for (size_t at = 0, next; at <= line.size(); at = next + 1) {
    next = line.find(',', at);
    if (next == std::string::npos) next = line.size();
    cells.push_back(line.substr(at, next - at));
  }
  cells[8] = "1000000";  // price
  line.clear();
  for (const std::string& cell : cells)
    line += (line.empty() ? "" : ",") + cell;
  today.replace(row, end - row, line);
  const std::string csv = dir_.file("today.csv");
  pharmex::testing::write_file(csv, today);

  auto result =
      run_cli({"export", "price", "--data", csv, "--layout", "khabarovsk", "--out", target});
  EXPECT_EQ(result.code, kFailed);
  EXPECT_EQ(result.err, "pharmex: numeric value too big in field CENA - 1000000.00\n");
  EXPECT_EQ(pharmex::testing::read_file(target), yesterdays);
  EXPECT_EQ(pharmex::testing::folder_entries(dir_.path()),
            (std::vector<std::string>{"price.dbf", "today.csv"}));
}

TEST_F(ExportCommandTest, ExportsThePriceListWithoutTheDialog) {
  auto result = run_cli({"export", "price", "--data", example("price_list.csv"), "--no-dialog",
                         "--out", dir_.file("list.tab")});
  ASSERT_EQ(result.code, kDone) << result.err;
  EXPECT_EQ(result.out, dir_.file("list.tab") + "\n");
  EXPECT_EQ(ExportedTable(dir_.file("list.tab")).record_count(), 7u);
  // Without an extension the table engine adds its own.
  result = run_cli({"export", "price", "--data", example("price_list.csv"), "--no-dialog", "--out",
                    dir_.file("list")});
  ASSERT_EQ(result.code, kDone) << result.err;
  EXPECT_EQ(result.out, dir_.file("list.DBF") + "\n");
  EXPECT_TRUE(std::filesystem::exists(dir_.file("list.DBF")));
}

TEST_F(ExportCommandTest, TheGenericWaybillTypesWriteTheSameRecords) {
  auto dbf4 = run_cli(waybill({"--type", "0", "--dir", dir_.path().string()}));
  ASSERT_EQ(dbf4.code, kDone) << dbf4.err;
  EXPECT_EQ(dbf4.out, dir_.file("waybill_4817.dbf") + "\n");
  auto gorny = run_cli(waybill({"--layout", "gornyvershini", "--out", dir_.file("gorny")}));
  ASSERT_EQ(gorny.code, kDone) << gorny.err;
  ExportedTable first(dir_.file("waybill_4817.dbf"));
  ExportedTable second(dir_.file("gorny.dbf"));
  EXPECT_EQ(first.fields(), second.fields());
  ASSERT_EQ(first.record_count(), 5u);  // the unpriced and the foreign line are left out
  ASSERT_EQ(second.record_count(), 5u);
  for (size_t i = 0; i < 5; ++i)
    EXPECT_EQ(first.record(i), second.record(i));
}

TEST_F(ExportCommandTest, AFailedDialogRunExitsWithOneAndItsMessage) {
  std::string data = dir_.file("s.csv");
  pharmex::testing::write_file(data, "inn:string(12)\n7701234567\n");
  auto result = run_cli({"export", "supplier", "--data", data, "--out", dir_.file("s")});
  EXPECT_EQ(result.code, kFailed);
  EXPECT_EQ(result.err, "pharmex: Field list is invalid\n");
  EXPECT_FALSE(std::filesystem::exists(dir_.file("s.dbf")));
}

TEST_F(ExportCommandTest, DocumentUsageErrorsExitWithTwo) {
  std::string prices = example("price_list.csv");
  EXPECT_EQ(run_cli({"export", "supplier", "--data", prices}).code, kUsage);
  EXPECT_EQ(run_cli({"export", "order", "--header", prices, "--out", "x"}).code, kUsage);
  EXPECT_EQ(run_cli({"export", "price", "--data", prices, "--out", "x", "--type", "3"}).code,
            kUsage);
  EXPECT_EQ(run_cli({"export", "price", "--data", prices, "--out", "x", "--layout", "djinal"}).code,
            kUsage);
  auto no_dialog = run_cli(
      {"export", "price", "--data", prices, "--out", "x", "--no-dialog", "--layout", "unico"});
  EXPECT_EQ(no_dialog.code, kUsage);
  EXPECT_EQ(no_dialog.err.rfind("pharmex export: --no-dialog writes the dbf4 layout only\n", 0), 0u)
      << no_dialog.err;
  EXPECT_EQ(run_cli({"export", "supplier", "--data", prices, "--out", "x", "--no-dialog"}).code,
            kUsage);
}

}  // namespace
}  // namespace pharmex::cli
