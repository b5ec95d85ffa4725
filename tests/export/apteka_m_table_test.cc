// The Apteka M waybill table, checked on the bytes of the file: records start
// at 513 + (n - 1) x 319.
#include "export/apteka_m_table.h"

#include <gtest/gtest.h>

#include <ostream>

#include "core/error.h"
#include "dbf/dbf_dataset.h"
#include "export/waybill_export.h"
#include "memhost/csv_reader.h"
#include "pharmex/pharmex.h"
#include "platform/headless_driver.h"
#include "platform/headless_toolkit.h"
#include "platform/toolkit.h"
#include "waybill_table_test.h"

namespace pharmex::exporting {
namespace {

using host::testing::host_events;
using testing::ExpectedRecord;
using testing::read_u16;

constexpr size_t kHeader = 513;
constexpr size_t kRecord = 319;

// The table reads no header column: a header dataset with "id" only will do.
const char* kHeaderIds = "id:integer\n1\n2\n";
const char* kLine =
    "1,100,2,10,501,Aspirin,Bayer,Germany,28,S-1,2009-01-15,2011-01-15,GTD-1,CERT-1,2010-01-15,"
    "4601234567890\n";

// What the routine writes into a record, numbers as the file shows them.
struct AptekaMRecord {
  std::string cntr{}, qnt = "0.00", firm{}, name{}, codepst = "0", pricepr = "0.00",
                      pricepost = "0.00";
  std::string seria{}, gdate{}, nds = "0", numgtd{}, sertif{}, summ = "0.00", summnds = "0.00";

  std::string bytes() const {
    ExpectedRecord r;
    r.text(cntr, 20).number(qnt, 20).text(firm, 20).text(name, 50).number(codepst, 20);
    r.number(pricepr, 20).number(pricepost, 20).text(seria, 20).text(gdate, 8);
    r.number("0.00000", 20).number(nds, 20).text(numgtd, 20).text(sertif, 20);  // PRPOST first
    r.number(summ, 20).number(summnds, 20);
    return r.bytes();
  }
};

const AptekaMRecord kExample{.cntr = "Germany",
                             .qnt = "2.00",
                             .firm = "Bayer",
                             .name = "Aspirin",
                             .codepst = "501",
                             .pricepr = "90.91",
                             .pricepost = "100.00",
                             .seria = "S-1",
                             .gdate = "20110115",
                             .nds = "10",
                             .numgtd = "GTD-1",
                             .sertif = "CERT-1",
                             .summ = "200.00",
                             .summnds = "18.18"};

class AptekaMTest : public testing::WaybillTableTest {
 protected:
  AptekaMTest() : WaybillTableTest(kHeader, kRecord) {}
  void run(const std::string& lines) {
    run_on(apteka_m_routine, memhost::read_csv(kHeaderIds, "headers.csv"),
           pharmex::testing::waybill_lines(lines));
  }
};

TEST_F(AptekaMTest, WorkedExampleByteForByte) {
  run(kLine);
  std::string bytes = file();
  ASSERT_EQ(bytes.size(), file_size(1));
  EXPECT_EQ(read_u16(bytes, 8), kHeader);
  EXPECT_EQ(read_u16(bytes, 10), kRecord);
  EXPECT_EQ(record_count(), 1u);
  EXPECT_EQ(record(1), kExample.bytes());
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 100", "finish 4660"}));
}

TEST_F(AptekaMTest, AnotherReaderSeesTheWorkedExample) {
  run(kLine);
  auto out = testing::read_with_dbfread(
      path(),
      "for r in dbfread.DBF(PATH, encoding=\"cp866\"):\n"
      "  values = [r[f] for f in (\"QNT\", \"CODEPST\", \"PRICEPR\", \"GDATE\", \"PRPOST\","
      " \"NDS\", \"SUMM\", \"SUMMNDS\")]\n"
      "  sys.stdout.buffer.write((\"|\".join(map(str, values)) + \"\\n\").encode())");
  if (!out) GTEST_SKIP() << "python3-dbfread is not installed";
  EXPECT_EQ(*out, "2.0|501|90.91|2011-01-15|0.0|10|200.0|18.18\n");
}

TEST_F(AptekaMTest, AnEmptyLinesDatasetGivesTheFieldsAndNoRecords) {
  run("");
  EXPECT_EQ(file().size(), file_size(0));
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 100", "finish 4660"}));
  dbf::TDbfDataSet table;
  table.SetTableName(path());
  table.SetLargeIntegerAs(dbf::TIntFields::asLargeInt);
  table.Open();
  std::string names;
  for (int i = 0; i < table.FieldCount(); ++i)
    names += table.Fields(i).FieldName() + " ";
  EXPECT_EQ(names,
            "CNTR QNT FIRM NAME CODEPST PRICEPR PRICEPOST SERIA GDATE PRPOST NDS NUMGTD SERTIF "
            "SUMM SUMMNDS ");
  EXPECT_EQ(table.FieldByName("CODEPST").DataType(), dbf::TFieldType::ftLargeint);
  EXPECT_EQ(table.FieldByName("NDS").DataType(), dbf::TFieldType::ftLargeint);
}

// A line of price 100, quantity 2 and the given VAT; the fields that change.
struct ValueCase {
  const char* what;
  const char* line;
  AptekaMRecord expected;
  const char* retyped = "";  // a line column given another type
};

std::ostream& operator<<(std::ostream& out, const ValueCase& c) {
  return out << c.what;
}

class AptekaMValueTest : public AptekaMTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(AptekaMValueTest, ComputedValuesAreStoredAsTheyComeOut) {
  run_on(apteka_m_routine, memhost::read_csv(kHeaderIds, "headers.csv"),
         pharmex::testing::waybill_lines(std::string(GetParam().line) + "\n", GetParam().retyped));
  EXPECT_EQ(record(1), GetParam().expected.bytes());
}

AptekaMRecord plain(AptekaMRecord record) {
  record.cntr = record.seria = record.gdate = record.numgtd = record.sertif = "";
  record.firm = "B";
  record.name = "A";
  record.codepst = "7";
  return record;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, AptekaMValueTest,
    ::testing::Values(
        ValueCase{
            "Vat0", "1,100,2,0,7,A,B,,1,,,,,,,",
            plain({.qnt = "2.00", .pricepr = "100.00", .pricepost = "100.00", .summ = "200.00"})},
        ValueCase{"EmptyQuantity", "1,100,,10,7,A,B,,1,,,,,,,",
                  plain({.pricepr = "90.91", .pricepost = "100.00", .nds = "10"})},
        ValueCase{"EmptyVat", "1,100,2,,7,A,B,,1,,,,,,,",
                  plain({.qnt = "2.00", .pricepost = "100.00", .summ = "200.00"})},
        // Whole-number fields round halves to the even neighbour.
        ValueCase{"VatTenAndAHalf", "1,100,2,10.5,7,A,B,,1,,,,,,,",
                  plain({.qnt = "2.00",
                         .pricepr = "90.50",
                         .pricepost = "100.00",
                         .nds = "10",
                         .summ = "200.00",
                         .summnds = "19.00"})},
        ValueCase{"VatElevenAndAHalf", "1,115,1,11.5,7,A,B,,1,,,,,,,",
                  plain({.qnt = "1.00",
                         .pricepr = "103.14",
                         .pricepost = "115.00",
                         .nds = "12",
                         .summ = "115.00",
                         .summnds = "11.86"})},
        // Whole numbers and Doubles are combined alike.
        ValueCase{"WholeQuantity", "1,115,3,11.5,7,A,B,,1,,,,,,,",
                  plain({.qnt = "3.00",
                         .pricepr = "103.14",
                         .pricepost = "115.00",
                         .nds = "12",
                         .summ = "345.00",
                         .summnds = "35.58"}),
                  "qty:integer"},
        ValueCase{"WholePrice", "1,115,2.5,10,7,A,B,,1,,,,,,,",
                  plain({.qnt = "2.50",
                         .pricepr = "104.55",
                         .pricepost = "115.00",
                         .nds = "10",
                         .summ = "287.50",
                         .summnds = "26.14"}),
                  "price:largeint"},
        ValueCase{"WholeVat", "1,115,2,18,7,A,B,,1,,,,,,,",
                  plain({.qnt = "2.00",
                         .pricepr = "97.46",
                         .pricepost = "115.00",
                         .nds = "18",
                         .summ = "230.00",
                         .summnds = "35.08"}),
                  "nds:smallint"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(AptekaMTest, OnlyLinesWithAPriceAndAKnownWaybillAreWritten) {
  run("1,0,1,0,1,A,B,,1,,,,,,,\n"     // price 0
      "1,-5,1,0,2,A,B,,1,,,,,,,\n"    // negative price
      "1,,1,0,3,A,B,,1,,,,,,,\n"      // no price
      "9,10,1,0,4,A,B,,1,,,,,,,\n"    // no such waybill
      "2,10,1,0,5,A,B,,1,,,,,,,\n"    // the second waybill
      "1,10,1,0,6,A,B,,1,,,,,,,\n");  // the first
  ASSERT_EQ(record_count(), 2u);
  EXPECT_EQ(field(1, 111, 20), std::string(19, ' ') + "5");
  EXPECT_EQ(field(2, 111, 20), std::string(19, ' ') + "6");
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 16", "progress 4660 33",
                                      "progress 4660 100", "finish 4660"}));
}

TEST_F(AptekaMTest, CodeAndVatAreSixtyFourBitWholeNumbers) {
  auto lines = memhost::read_csv(
      "waybillheads_id:integer,price:float,qty:float,nds:largeint,art_id:largeint,"
      "art_name:string(80),maker:string(40),country:string(15),serial:string(20),"
      "dateworklast:date,gtd:string(30),sertname:string(80)\n"
      "1,10,1,5000000000,12345678901234567,A,B,,,,,\n",
      "lines.csv");
  run_on(apteka_m_routine, memhost::read_csv(kHeaderIds, "headers.csv"), lines);
  EXPECT_EQ(field(1, 111, 20), "   12345678901234567");
  EXPECT_EQ(field(1, 219, 20), "          5000000000");
}

TEST_F(AptekaMTest, AValueItsFieldCannotTakeEndsTheRunAndKeepsYesterdaysFile) {
  place_yesterdays();
  auto lines = memhost::read_csv(
      "waybillheads_id:integer,price:float,qty:float,nds:float,art_id:string(10),"
      "art_name:string(80),maker:string(40),country:string(15),serial:string(20),"
      "dateworklast:date,gtd:string(30),sertname:string(80)\n"
      "1,10,1,0,501,A,B,,,,,\n"
      "1,10,1,0,X-1,A,B,,,,,\n",
      "lines.csv");
  EXPECT_THROW_MSG(run_on(apteka_m_routine, memhost::read_csv(kHeaderIds, "headers.csv"), lines),
                   DatabaseError, "Invalid value for field 'CODEPST'");
  EXPECT_EQ(file(), kYesterdays);
  EXPECT_EQ(folder(), std::vector<std::string>{"waybill.dbf"}) << "a temporary file was left";
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 50", "finish 4660"}));
}

TEST_F(AptekaMTest, AColumnTheHostLacksIsNamed) {
  auto lines = memhost::read_csv(
      "waybillheads_id:integer,price:float,qty:float,nds:float,country:string(15)\n1,10,1,0,X\n",
      "lines.csv");
  EXPECT_THROW_MSG(run_on(apteka_m_routine, memhost::read_csv(kHeaderIds, "headers.csv"), lines),
                   Error, "The host data have no column 'maker'");
  EXPECT_EQ(folder(), std::vector<std::string>{}) << "no table, and nothing beside it";
}

TEST_F(AptekaMTest, TheDialogWritesTheTableAndLeavesTheRememberedFolder) {
  registry().write_string(platform::kHostSettingsKey, "waybill_export_path", "/earlier");
  auto headers = pharmex::testing::waybill_headers("1,A-17,2009-03-05,first\n");
  auto lines = pharmex::testing::waybill_lines(kLine);
  auto toolkit = std::make_shared<platform::HeadlessToolkit>();
  Service<platform::Toolkit>::Scoped toolkit_scope(toolkit);
  host::Callbacks callbacks = host::testing::recording_callbacks();
  waybill_export(kHost, headers.get(), lines.get(), callbacks.progress, callbacks.start,
                 callbacks.finish);
  auto answer = platform::answer_dialog(*toolkit, root() + "/delivery", 5);
  ASSERT_EQ(answer.outcome, platform::DialogAnswer::Outcome::kClosed) << answer.message;
  std::string table = pharmex::testing::read_file(root() + "/delivery.dbf");
  ASSERT_EQ(table.size(), file_size(1));
  EXPECT_EQ(table.substr(kHeader, kRecord), kExample.bytes());
  EXPECT_EQ(remembered(), "/earlier");
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 100", "finish 4660"}));
}

}  // namespace
}  // namespace pharmex::exporting
