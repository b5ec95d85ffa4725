#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "../../tools/pharmex/cli.h"
#include "dbf/dbf_test_util.h"
#include "dbf/memo4_file.h"
#include "testing/test_support.h"

namespace pharmex::cli {
namespace {

using dbf::testing::MakeTable;
using dbf::testing::TableSpec;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;

// A dBase IV memo file beside `table` holding `texts` in blocks 1, 2, ...
void WriteMemos(const std::string& table, const std::vector<std::string>& texts) {
  const std::string path = table.substr(0, table.size() - 4) + ".DBT";
  write_file(path, dbf::TMemo4File::InitialHeader("PRICE"));
  dbf::TMemo4File memo(path, false, true, platform::posix_file_system());
  memo.OpenMemo();
  for (const std::string& text : texts)
    memo.WriteMemo(0, text);
}

struct Result {
  int code;
  std::string out;
  std::string err;
};

Result RunCli(std::vector<std::string> args) {
  std::ostringstream out;
  std::ostringstream err;
  Io io{out, err};
  int code = run(args, io);
  return {code, out.str(), err.str()};
}

class ShowCommandTest : public ::testing::Test {
 protected:
  ShowCommandTest() : path_(dir_.file("PRICE.DBF")), memo_path_(dir_.file("PRICE.DBT")) {
    TableSpec spec;
    spec.version = 0x8B;
    spec.fields = {{"NAME", 'C', 8, 0},
                   {"PRICE", 'N', 7, 2},
                   {"DAY", 'D', 8, 0},
                   {"OK", 'L', 1, 0},
                   {"NOTE", 'M', 10, 0}};
    // "Йод" in 866, a quote and a comma for CSV, a deleted record.
    spec.records = {
        "\x89\xAE\xA4     "
        "  12.50"
        "20240305"
        "T"
        "         1",
        "a \"b\", c"
        "  -0.50"
        "        "
        " "
        "          ",
        "gone    "
        "   1.00"
        "20240101"
        "F"
        "         2"};
    spec.deleted = {false, false, true};
    spec.header_count = 2;
    write_file(path_, MakeTable(spec));
    // "Йод 5%", a line break, "раствор" in 866; the deleted record's memo.
    WriteMemos(path_, {"\x89\xAE\xA4 5%\r\n\xE0\xA0\xE1\xE2\xA2\xAE\xE0", "gone"});
  }

  TempDir dir_;
  std::string path_;
  std::string memo_path_;
};

TEST_F(ShowCommandTest, PrintsHeaderFieldsAndLiveRecordsAsAlignedText) {
  Result r = RunCli({"show", path_});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "File:          " + path_ +
                       "\n"
                       "Version:       0x8B (dBase IV with memo)\n"
                       "Last update:   2024-05-17\n"
                       "Records:       3 (the header says 2)\n"
                       "Header length: 193\n"
                       "Record length: 35\n"
                       "Memo file:     " +
                       memo_path_ +
                       " (blocks of 512 bytes)\n"
                       "\n"
                       "Fields:\n"
                       "  #  Name   Type  Length  Decimals  Offset\n"
                       "  1  NAME   C          8         0       1\n"
                       "  2  PRICE  N          7         2       9\n"
                       "  3  DAY    D          8         0      16\n"
                       "  4  OK     L          1         0      24\n"
                       "  5  NOTE   M         10         0      25\n"
                       "\n"
                       "Records:\n"
                       "  #  NAME      PRICE  DAY         OK  NOTE\n"
                       "  1  Йод       12.50  2024-03-05  T   Йод 5%\\r\\nраствор\n"
                       "  2  a \"b\", c  -0.50\n");
}

TEST_F(ShowCommandTest, DeletedRecordsAreMarkedOnRequest) {
  Result r = RunCli({"show", "--deleted", path_});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("  #  Del  NAME      PRICE  DAY         OK  NOTE\n"), std::string::npos);
  EXPECT_NE(r.out.find("  3  *    gone       1.00  2024-01-01  F   gone\n"), std::string::npos)
      << r.out;
}

TEST_F(ShowCommandTest, CsvQuotesWhatNeedsQuoting) {
  Result r = RunCli({"show", path_, "--csv", "--deleted"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "_deleted,NAME,PRICE,DAY,OK,NOTE\r\n"
            ",Йод,12.50,2024-03-05,T,\"Йод 5%\r\nраствор\"\r\n"
            ",\"a \"\"b\"\", c\",-0.50,,,\r\n"
            "*,gone,1.00,2024-01-01,F,gone\r\n");
}

TEST_F(ShowCommandTest, JsonTypesTheValues) {
  Result r = RunCli({"show", "--json", path_});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("\"record_count\": 3,"), std::string::npos);
  EXPECT_NE(
      r.out.find(
          "{\"name\": \"PRICE\", \"type\": \"N\", \"length\": 7, \"decimals\": 2, \"offset\": 9}"),
      std::string::npos);
  EXPECT_NE(
      r.out.find("{\"record\": 1, \"deleted\": false, \"values\": {\"NAME\": \"Йод\", \"PRICE\": "
                 "12.50, \"DAY\": \"2024-03-05\", \"OK\": true, \"NOTE\": \"Йод "
                 "5%\\u000d\\u000aраствор\"}}"),
      std::string::npos)
      << r.out;
  EXPECT_NE(
      r.out.find("{\"NAME\": \"a \\\"b\\\", c\", \"PRICE\": -0.50, \"DAY\": null, \"OK\": null, "
                 "\"NOTE\": null}"),
      std::string::npos)
      << r.out;
  EXPECT_EQ(r.out.find("gone"), std::string::npos);
}

TEST_F(ShowCommandTest, FailuresPrintTheEngineMessageAndExitWithOne) {
  Result missing = RunCli({"show", dir_.file("NONE.DBF")});
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_EQ(missing.err, "pharmex show: File " + dir_.file("NONE.DBF") + " could not be found\n");

  std::string damaged = MakeTable(TableSpec{});
  damaged[10] = 0;  // record length 0
  damaged[11] = 0;
  write_file(dir_.file("BAD.DBF"), damaged);
  Result bad = RunCli({"show", dir_.file("BAD")});
  EXPECT_EQ(bad.code, 1);
  EXPECT_EQ(bad.err, "pharmex show: Table Header for " + dir_.file("BAD.DBF") + " is invalid\n");
}

TEST_F(ShowCommandTest, AMissingMemoFileStopsBeforeAnyOutput) {
  std::filesystem::remove(memo_path_);
  Result r = RunCli({"show", path_});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "pharmex show: File " + memo_path_ + " could not be found\n");
}

TEST_F(ShowCommandTest, ABadMemoIsMarkedAndReportedAfterTheRest) {
  std::string bytes = pharmex::testing::read_file(path_);
  bytes.replace(bytes.size() - 1 - 35 - 10, 10, "         9");  // record 2's NOTE
  write_file(path_, bytes);
  Result text = RunCli({"show", path_});
  EXPECT_EQ(text.code, 1);
  EXPECT_NE(text.out.find("  2  a \"b\", c  -0.50" + std::string(18, ' ') + "<bad memo>\n"),
            std::string::npos)
      << text.out;
  EXPECT_EQ(text.err,
            "pharmex show: record 2, field NOTE: Memo record is bad in " + memo_path_ + "\n");
  Result json = RunCli({"show", "--json", path_});
  EXPECT_EQ(json.code, 1);
  EXPECT_NE(json.out.find("\"OK\": null, \"NOTE\": null}"), std::string::npos) << json.out;
}

TEST(ShowMemoTest, LongMemosAreCutInTheTextFormOnlyAndBlobsShowTheirSize) {
  TempDir dir;
  const std::string path = dir.file("PRICE.DBF");
  TableSpec spec;
  spec.version = 0x8B;
  spec.fields = {{"NOTE", 'M', 10, 0}, {"PIC", 'B', 10, 0}};
  spec.records = {"         1         2"};
  write_file(path, MakeTable(spec));
  WriteMemos(path, {std::string(70, 'a') + "\tz", std::string("\0\1\2", 3)});
  Result text = RunCli({"show", path});
  EXPECT_EQ(text.code, 0) << text.err;
  EXPECT_NE(text.out.find("  1  " + std::string(60, 'a') + "...  3 bytes\n"), std::string::npos)
      << text.out;
  Result csv = RunCli({"show", "--csv", path});
  EXPECT_EQ(csv.out, "NOTE,PIC\r\n" + std::string(70, 'a') + "\tz,3 bytes\r\n");
}

TEST(ShowControlCharactersTest, TheTextFormEscapesThemInNamesAndValuesTheOthersCarryThem) {
  TempDir dir;
  const std::string path = dir.file("ODD.DBF");
  TableSpec spec;
  spec.fields = {{"A\x01", 'C', 10, 0}, {"N", 'N', 3, 0}};
  // An escape sequence, a tab and a backslash; a number field holding a control.
  spec.records = {"x\x1B[1m\ty\\z \x02 1"};
  write_file(path, MakeTable(spec));
  Result text = RunCli({"show", path});
  EXPECT_EQ(text.code, 0) << text.err;
  EXPECT_EQ(text.out.find('\x1B'), std::string::npos);
  EXPECT_NE(text.out.find("  1  A\\x01  C         10         0       1\n"), std::string::npos)
      << text.out;
  EXPECT_NE(text.out.find("  #  A\\x01           N\n"
                          "  1  x\\x1B[1m\\ty\\\\z  \\x02 1\n"),
            std::string::npos)
      << text.out;
  Result csv = RunCli({"show", "--csv", path});
  EXPECT_EQ(csv.out, "A\x01,N\r\nx\x1B[1m\ty\\z,\x02 1\r\n");
  Result json = RunCli({"show", "--json", path});
  EXPECT_NE(json.out.find("{\"A\\u0001\": \"x\\u001b[1m\\u0009y\\\\z\", \"N\": \"\\u0002 1\"}"),
            std::string::npos)
      << json.out;
}

TEST_F(ShowCommandTest, UsageErrorsExitWithTwo) {
  EXPECT_EQ(RunCli({"show"}).code, 2);
  EXPECT_EQ(RunCli({"show", path_, "--csv", "--json"}).code, 2);
  EXPECT_EQ(RunCli({"show", path_, "--wide"}).code, 2);
}

TEST(ShowCommandHelpTest, IsListedInTheHelp) {
  Result r = RunCli({"--help"});
  EXPECT_NE(r.out.find("pharmex show FILE.dbf [--csv | --json] [--deleted]"), std::string::npos);
  EXPECT_NE(r.out.find("(\\r, \\n, \\t, \\xNN, and \\\\ for a backslash)"), std::string::npos)
      << r.out;
}

}  // namespace
}  // namespace pharmex::cli
