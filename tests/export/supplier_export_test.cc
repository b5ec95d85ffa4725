// The supplier export through supplier_export, its dialog answered as a user
// would: the table's fields follow the host's "id" and "name" columns.
#include "export/supplier_export.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "app/dialog_test_support.h"
#include "exported_table.h"
#include "memhost/csv_reader.h"
#include "pharmex/pharmex.h"
#include "platform/headless_driver.h"

namespace pharmex::exporting {
namespace {

using host::testing::host_events;
using pharmex::testing::ExportedTable;
using Outcome = platform::DialogAnswer::Outcome;

class SupplierExportTest : public app::testing::DialogTest {
 protected:
  void TearDown() override {
    suppliers_ = {};
    DialogTest::TearDown();
  }

  void load(const std::string& csv) { suppliers_ = memhost::read_csv(csv, "suppliers.csv"); }

  // Opens the supplier dialog and confirms `name` in the test's folder.
  platform::DialogAnswer save_as(const std::string& name) {
    host::Callbacks callbacks = host::testing::recording_callbacks();
    supplier_export(kHost, suppliers_.get(), callbacks.progress, callbacks.start, callbacks.finish);
    return platform::answer_dialog(toolkit(), root() + "/" + name);
  }

  std::string remembered() {
    return registry().read_string(platform::kHostSettingsKey, "supplier_export_path");
  }

  host::HostRef<memhost::MemoryDataSet> suppliers_;
};

TEST_F(SupplierExportTest, WritesTheIdAndNameColumnsOnly) {
  load(
      "ID:integer,Name:string(60),inn:string(12)\n"
      "3,\"ЗАО \"\"Фармация\"\"\",7701234567\n"
      "5,Протек,\n");
  auto answer = save_as("supplier");
  ASSERT_EQ(answer.outcome, Outcome::kClosed) << answer.message;
  ExportedTable table(root() + "/supplier.dbf");
  EXPECT_EQ(table.fields(), (std::vector<std::string>{"ID N 11/0", "NAME C 60/0"}));
  EXPECT_EQ(table.record_length(), 72u);
  ASSERT_EQ(table.record_count(), 2u);
  EXPECT_EQ(table.raw(0, "ID"), "          3");
  EXPECT_EQ(table.column("NAME"), (std::vector<std::string>{"ЗАО \"Фармация\"", "Протек"}));
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "progress 4660 50",
                                                     "progress 4660 100", "finish 4660"}));
  EXPECT_EQ(remembered(), root());
}

TEST_F(SupplierExportTest, AnAutoIncIdGetsNoField) {
  load("id:autoinc,name:string(20)\n1,Протек\n");
  ASSERT_EQ(save_as("s.dbf").outcome, Outcome::kClosed);
  ExportedTable table(root() + "/s.dbf");
  EXPECT_EQ(table.fields(), std::vector<std::string>{"NAME C 20/0"});
  EXPECT_EQ(table.column("NAME"), std::vector<std::string>{"Протек"});
}

TEST_F(SupplierExportTest, WithoutASelectedColumnNoFileIsWrittenAndTheDialogStaysOpen) {
  load("inn:string(12),id:autoinc\n7701234567,1\n");
  auto answer = save_as("s");
  ASSERT_EQ(answer.outcome, Outcome::kFailed);
  EXPECT_EQ(answer.message, "Field list is invalid");
  EXPECT_FALSE(std::filesystem::exists(root() + "/s.dbf"));
  EXPECT_EQ(remembered(), root());  // stored in the clean-up all the same
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
  EXPECT_TRUE(platform::dismiss_dialog(toolkit()));
}

struct ProgressCase {
  int rows;
  std::vector<int> reports;
};

class SupplierProgressTest : public SupplierExportTest,
                             public ::testing::WithParamInterface<ProgressCase> {};

TEST_P(SupplierProgressTest, ReportsEachGrowingPercentOnceAnd100AtTheEnd) {
  std::string csv = "id:integer,name:string(10)\n";
  for (int i = 1; i <= GetParam().rows; ++i)
    csv += std::to_string(i) + ",s" + std::to_string(i) + "\n";
  load(csv);
  ASSERT_EQ(save_as("s").outcome, Outcome::kClosed);
  std::vector<std::string> expected = {"start 4660"};
  for (int percent : GetParam().reports)
    expected.push_back("progress 4660 " + std::to_string(percent));
  expected.push_back("finish 4660");
  EXPECT_EQ(host_events(), expected);
  EXPECT_EQ(ExportedTable(root() + "/s.dbf").record_count(),
            static_cast<uint32_t>(GetParam().rows));
}

std::vector<int> one_to_hundred() {
  std::vector<int> all;
  for (int percent = 1; percent <= 100; ++percent)
    all.push_back(percent);
  return all;
}

INSTANTIATE_TEST_SUITE_P(Rows, SupplierProgressTest,
                         ::testing::Values(ProgressCase{0, {100}}, ProgressCase{3, {33, 66, 100}},
                                           ProgressCase{300, one_to_hundred()}));

// dbfread (Debian's python3-dbfread) reads a table as an independent peer.
bool have_dbfread() {
  return std::system("/usr/bin/python3 -c 'import dbfread' >/dev/null 2>&1") == 0;
}

TEST_F(SupplierExportTest, LongNamesGoToAMemoFileAnIndependentReaderReads) {
  if (!have_dbfread()) GTEST_SKIP() << "python3-dbfread is not installed";
  std::string long_name(300, 'x');
  load("id:integer,name:string(300)\n1,Аптечный склад «Север»\n2," + long_name + "\n3,\n");
  ASSERT_EQ(save_as("memo").outcome, Outcome::kClosed);
  ExportedTable table(root() + "/memo.dbf");
  EXPECT_EQ(table.version(), 0x8B);
  EXPECT_EQ(table.fields(), (std::vector<std::string>{"ID N 11/0", "NAME M 10/0"}));
  ASSERT_TRUE(std::filesystem::exists(root() + "/memo.dbt"));

  const std::string script = R"(
import sys
from dbfread import DBF
for record in DBF(sys.argv[1], encoding='cp866'):
    name = record['NAME']
    print(str(record['ID']) + '\t' + ('-' if name is None else name.encode('utf-8').hex()))
)";
  pharmex::testing::write_file(root() + "/peer.py", script);
  std::string command = "/usr/bin/python3 " + root() + "/peer.py " + root() + "/memo.dbf >" +
                        root() + "/peer.txt 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << pharmex::testing::read_file(root() + "/peer.txt");
  auto hex = [](std::string_view bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes)
      out += {kDigits[c >> 4], kDigits[c & 15]};
    return out;
  };
  // dBase IV memo blocks carry the text's length plus 8; dbfread takes that
  // for the text's length and returns 8 bytes of padding after each text.
  const std::string pad = hex(std::string(8, '\0'));
  // « and » have no place in code page 866: they become '"'.
  EXPECT_EQ(
      pharmex::testing::read_file(root() + "/peer.txt"),
      "1\t" + hex("Аптечный склад \"Север\"") + pad + "\n2\t" + hex(long_name) + pad + "\n3\t-\n");
}

}  // namespace
}  // namespace pharmex::exporting
