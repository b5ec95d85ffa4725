// The Djinal waybill table, checked on the bytes of the file: records start at
// 1249 + (n - 1) x 713.
#include "export/djinal_table.h"

#include <gtest/gtest.h>

#include <ostream>

#include "core/error.h"
#include "dbf/dbf_dataset.h"
#include "export/waybill_export.h"
#include "memhost/csv_reader.h"
#include "pharmex/pharmex.h"
#include "waybill_table_test.h"

namespace pharmex::exporting {
namespace {

using host::testing::host_events;
using testing::ExpectedRecord;
using testing::padded;
using testing::read_u16;

constexpr size_t kHeader = 1249;
constexpr size_t kRecord = 713;

// The totals' offsets in a record; each is 9 bytes wide.
constexpr size_t kSumPay = 521, kSumNds10 = 530, kSumNds20 = 539, kSum10 = 548, kSum20 = 557;

const char* kHeaderRow = "1,A-17,2009-03-05,first delivery\n";
// price 100, qty 2, nds 10; price 50, qty 1, nds 20, optional columns null.
const char* kLine1 =
    "1,100,2,10,501,Aspirin,Bayer,Germany,28,S-1,2009-01-15,2011-01-15,GTD-1,CERT-1,2010-01-15,"
    "4601234567890\n";
const char* kLine2 = "1,50,1,20,502,Bandage,Evteks,Россия,1,,,,,,,\n";

// What the routine writes into a record; unassigned fields hold the new-record
// values. Numbers are given as the file shows them.
struct DjinalRecord {
  std::string ndoc{}, datedoc{}, codepst{}, ean13{};
  std::string price2 = "0.00", price2n = "0.00", qnt = "0.00";
  std::string ser{}, gdate{}, datemade{}, name{}, cntr{}, firm{};
  std::string qntpack = "0", nds = "0.00";
  std::string numgtd{}, sertif{}, sertdate{};
  std::string sumpay = "0.00", sumnds10 = "0.00", sumnds20 = "0.00", sum10 = "0.00", sum20 = "0.00";
  std::string descr{};

  std::string bytes() const {
    ExpectedRecord r;
    r.text(ndoc, 20).text(datedoc, 8).text(codepst, 12).text(ean13, 13);
    r.number("0.00", 9).number(price2, 9).number(price2n, 9).number("0.00", 9).number("0.00", 9);
    r.number(qnt, 9).text(ser, 20).text(gdate, 8).text(datemade, 8).text(name, 80);
    r.text(cntr, 15).text(firm, 40).number(qntpack, 8).number(nds, 9);
    r.number("0.00", 9).number("0", 1).number("0.00", 9).blank(8);  // NSP GNVLS REGPRC DATEPRC
    r.text(numgtd, 30).text(sertif, 80).text(sertdate, 8).blank(80);
    r.number(sumpay, 9).number(sumnds10, 9).number(sumnds20, 9).number(sum10, 9);
    r.number(sum20, 9).number("0.00", 9).number("0", 1).number("0.00", 9);  // SUM0 EXCHCODE ERATE
    r.blank(12).number("0", 8).blank(8).text(descr, 100);                   // PODRCD NUMZ DATEZ
    return r.bytes();
  }
};

class DjinalTest : public testing::WaybillTableTest {
 protected:
  DjinalTest() : WaybillTableTest(kHeader, kRecord) {}
  void run(const std::string& headers, const std::string& lines) {
    WaybillTableTest::run(djinal_routine, headers, lines);
  }
  std::string totals(size_t n) const {
    return field(n, kSumPay, 9) + field(n, kSumNds10, 9) + field(n, kSumNds20, 9) +
           field(n, kSum10, 9) + field(n, kSum20, 9);
  }
};

TEST_F(DjinalTest, WorkedExampleByteForByte) {
  run(kHeaderRow, std::string(kLine1) + kLine2);
  std::string bytes = file();
  ASSERT_EQ(bytes.size(), file_size(2));
  EXPECT_EQ(read_u16(bytes, 8), kHeader);
  EXPECT_EQ(read_u16(bytes, 10), kRecord);
  EXPECT_EQ(record_count(), 2u);
  EXPECT_EQ(bytes.back(), '\x1a');

  DjinalRecord first{.ndoc = "A-17",
                     .datedoc = "20090305",
                     .codepst = "501",
                     .ean13 = "4601234567890",
                     .price2 = "100.00",
                     .price2n = "90.91",
                     .qnt = "2.00",
                     .ser = "S-1",
                     .gdate = "20110115",
                     .datemade = "20090115",
                     .name = "Aspirin",
                     .cntr = "Germany",
                     .firm = "Bayer",
                     .qntpack = "28",
                     .nds = "10.00",
                     .numgtd = "GTD-1",
                     .sertif = "CERT-1",
                     .sertdate = "20100115",
                     .sumpay = "250.00",
                     .sumnds10 = "200.00",
                     .sumnds20 = "50.00",
                     .sum10 = "9.09",  // one unit: 100 - 100 / 1.1
                     .sum20 = "8.33",
                     .descr = "first delivery"};
  EXPECT_EQ(record(1), first.bytes());

  DjinalRecord second = first;
  second.codepst = "502";
  second.ean13 = second.ser = second.gdate = second.datemade = "";
  second.numgtd = second.sertif = second.sertdate = "";
  second.price2 = "50.00";
  second.price2n = "41.67";
  second.qnt = "1.00";
  second.name = "Bandage";
  second.cntr = "\x90\xAE\xE1\xE1\xA8\xEF";  // Россия in code page 866
  second.firm = "Evteks";
  second.qntpack = "1";
  second.nds = "20.00";
  EXPECT_EQ(record(2), second.bytes());

  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "progress 4660 50",
                                                     "progress 4660 100", "finish 4660"}));
}

TEST_F(DjinalTest, AnotherReaderSeesTheWorkedExample) {
  run(kHeaderRow, std::string(kLine1) + kLine2);
  auto out = testing::read_with_dbfread(
      path(),
      "for r in dbfread.DBF(PATH, encoding=\"cp866\"):\n"
      "  values = [r[f] for f in (\"NDOC\", \"DATEDOC\", \"PRICE2N\", \"QNTPACK\", \"CNTR\","
      " \"DATEMADE\", \"SUMPAY\", \"SUM10\", \"SUM20\", \"DESCR\")]\n"
      "  sys.stdout.buffer.write((\"|\".join(map(str, values)) + \"\\n\").encode())");
  if (!out) GTEST_SKIP() << "python3-dbfread is not installed";
  EXPECT_EQ(*out,
            "A-17|2009-03-05|90.91|28|Germany|2009-01-15|250.0|9.09|8.33|first delivery\n"
            "A-17|2009-03-05|41.67|1|Россия|None|250.0|9.09|8.33|first delivery\n");
}

TEST_F(DjinalTest, AnEmptyLinesDatasetGivesTheFieldsAndNoRecords) {
  run(kHeaderRow, "");
  EXPECT_EQ(file().size(), file_size(0));
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 100", "finish 4660"}));
  dbf::TDbfDataSet table;
  table.SetTableName(path());
  table.Open();
  std::string names;
  for (int i = 0; i < table.FieldCount(); ++i)
    names += table.Fields(i).FieldName() + " ";
  EXPECT_EQ(names,
            "NDOC DATEDOC CODEPST EAN13 PRICE1 PRICE2 PRICE2N PRCIMP PRCOPT QNT SER GDATE DATEMADE "
            "NAME CNTR FIRM QNTPACK NDS NSP GNVLS REGPRC DATEPRC NUMGTD SERTIF SERTDATE SERTORG "
            "SUMPAY SUMNDS10 SUMNDS20 SUM10 SUM20 SUM0 EXCHCODE ERATE PODRCD NUMZ DATEZ DESCR ");
  EXPECT_EQ(table.FieldByName("QNTPACK").DataType(), dbf::TFieldType::ftInteger);
  EXPECT_EQ(table.RecordCount(), 0);
}

// One line that is always written (price 10, qty 1, VAT 0: it adds 10 to
// SUMPAY only) and one more line; the totals of every record.
struct TotalsCase {
  const char* what;
  const char* line;
  uint32_t records;
  const char* totals;        // SUMPAY SUMNDS10 SUMNDS20 SUM10 SUM20, 9 characters each
  const char* retyped = "";  // columns of both lines given another type
};

std::ostream& operator<<(std::ostream& out, const TotalsCase& c) {
  return out << c.what;
}

class DjinalTotalsTest : public DjinalTest, public ::testing::WithParamInterface<TotalsCase> {};

TEST_P(DjinalTotalsTest, EveryRecordCarriesTheTotalsOfAllLines) {
  run_on(
      djinal_routine, pharmex::testing::waybill_headers(kHeaderRow),
      pharmex::testing::waybill_lines(
          std::string("1,10,1,0,1,A,B,,1,,,,,,,\n") + GetParam().line + "\n", GetParam().retyped));
  ASSERT_EQ(record_count(), GetParam().records);
  for (uint32_t n = 1; n <= GetParam().records; ++n)
    EXPECT_EQ(totals(n), GetParam().totals);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, DjinalTotalsTest,
    ::testing::Values(
        TotalsCase{"Vat10", "1,100,2,10,2,A,B,,1,,,,,,,", 2,
                   "   210.00   200.00     0.00     9.09     0.00"},
        TotalsCase{"Vat20", "1,60,3,20,2,A,B,,1,,,,,,,", 2,
                   "   190.00     0.00   180.00     0.00    10.00"},
        // The VAT totals add one unit's VAT, whatever the quantity.
        TotalsCase{"VatPerUnit", "1,110,5,10,2,A,B,,1,,,,,,,", 2,
                   "   560.00   550.00     0.00    10.00     0.00"},
        TotalsCase{"Vat18OnlyInTheTotal", "1,100,2,18,2,A,B,,1,,,,,,,", 2,
                   "   210.00     0.00     0.00     0.00     0.00"},
        TotalsCase{"Vat10AndAHalfIsNotTen", "1,100,2,10.5,2,A,B,,1,,,,,,,", 2,
                   "   210.00     0.00     0.00     0.00     0.00"},
        TotalsCase{"EmptyVatOnlyInTheTotal", "1,100,2,,2,A,B,,1,,,,,,,", 2,
                   "   210.00     0.00     0.00     0.00     0.00"},
        // Lines that are not written are summed all the same.
        TotalsCase{"NegativePriceNotWritten", "1,-20,1,10,2,A,B,,1,,,,,,,", 1,
                   "   -10.00   -20.00     0.00    -1.82     0.00"},
        TotalsCase{"UnknownWaybillNotWritten", "7,100,2,10,2,A,B,,1,,,,,,,", 1,
                   "   210.00   200.00     0.00     9.09     0.00"},
        TotalsCase{"EmptyBoxNotWritten", "7,100,2,20,2,A,B,,,,,,,,,", 1,
                   "   210.00     0.00   200.00     0.00    16.67"},
        // The filter reads a whole price and a whole waybill key
        // of every width as they are.
        TotalsCase{"WholeZeroPriceNotWritten", "1,0,2,10,2,A,B,,1,,,,,,,", 1,
                   "    10.00     0.00     0.00     0.00     0.00", "price:integer"},
        TotalsCase{"WholeNegativePriceNotWritten", "1,-20,1,10,2,A,B,,1,,,,,,,", 1,
                   "   -10.00   -20.00     0.00    -1.82     0.00", "price:largeint"},
        TotalsCase{"SmallWaybillKeyFound", "1,100,2,10,2,A,B,,1,,,,,,,", 2,
                   "   210.00   200.00     0.00     9.09     0.00", "waybillheads_id:smallint"},
        TotalsCase{"LargeUnknownWaybillKeyNotWritten", "7,100,2,10,2,A,B,,1,,,,,,,", 1,
                   "   210.00   200.00     0.00     9.09     0.00", "waybillheads_id:largeint"},
        TotalsCase{"TextPriceOfZeroNotWritten", "1,\"0,00\",2,10,2,A,B,,1,,,,,,,", 1,
                   "    10.00     0.00     0.00     0.00     0.00", "price:string(6)"}),
    [](const auto& info) { return std::string(info.param.what); });

// The amounts are the same whatever type the host gives a column: a price
// given as text is read with the run's settings (a comma as decimal
// separator), not with the process's (a point, in this fixture).
struct TypedLineCase {
  const char* what;
  const char* line;
  const char* retyped;
};

std::ostream& operator<<(std::ostream& out, const TypedLineCase& c) {
  return out << c.what;
}

class DjinalTypedLineTest : public DjinalTest,
                            public ::testing::WithParamInterface<TypedLineCase> {};

TEST_P(DjinalTypedLineTest, AmountsDoNotDependOnTheColumnsType) {
  run_on(djinal_routine, pharmex::testing::waybill_headers(kHeaderRow),
         pharmex::testing::waybill_lines(std::string(GetParam().line) + "\n", GetParam().retyped));
  ASSERT_EQ(record_count(), 1u);
  EXPECT_EQ(field(1, 63, 9), "    12.50");  // PRICE2
  EXPECT_EQ(field(1, 72, 9), "    11.36");  // PRICE2N
  EXPECT_EQ(totals(1), "    25.00    25.00     0.00     1.14     0.00");
}

INSTANTIATE_TEST_SUITE_P(
    Columns, DjinalTypedLineTest,
    ::testing::Values(
        TypedLineCase{"TextPrice", "1,\"12,5\",2,10,1,A,B,,1,,,,,,,", "price:string(9)"},
        TypedLineCase{"CurrencyPrice", "1,12.5,2,10,1,A,B,,1,,,,,,,", "price:currency"},
        TypedLineCase{"WholeVat", "1,12.5,2,10,1,A,B,,1,,,,,,,", "nds:integer"},
        TypedLineCase{"TextVat", "1,12.5,2,10,1,A,B,,1,,,,,,,", "nds:string(4)"},
        TypedLineCase{"CurrencyQuantity", "1,12.5,2,10,1,A,B,,1,,,,,,,", "qty:currency"},
        TypedLineCase{"SmallWholeVat", "1,12.5,2,10,1,A,B,,1,,,,,,,", "nds:smallint"},
        TypedLineCase{"WholeQuantity", "1,12.5,2,10,1,A,B,,1,,,,,,,", "qty:integer"},
        TypedLineCase{"LargeWholeQuantity", "1,12.5,2,10,1,A,B,,1,,,,,,,", "qty:largeint"}),
    [](const auto& info) { return std::string(info.param.what); });

// A VAT rate of -100 per cent leaves nothing to divide the price by.
TEST_F(DjinalTest, AVatOfMinusAHundredPerCentFails) {
  EXPECT_THROW_MSG(run(kHeaderRow, "1,10,1,-100,1,A,B,,1,,,,,,,\n"), Error,
                   "Floating point division by zero");
}

// Lines of one waybill that follow one another position its header and read
// its columns once; a line of another waybill, or of none, moves on, and a
// waybill met again is positioned again. A key that is no whole number is
// converted and looked for on every line.
struct TwoWaybillsCase {
  const char* retyped;
  int64_t locates;
  int64_t header_values;
};

class DjinalTwoWaybillsTest : public DjinalTest,
                              public ::testing::WithParamInterface<TwoWaybillsCase> {};

TEST_P(DjinalTwoWaybillsTest, TwoWaybillsShareTheTotalsButNotTheirHeaders) {
  auto headers =
      pharmex::testing::waybill_headers("1,A-17,2009-03-05,first\n2,B-2,2009-04-01,second\n");
  run_on(djinal_routine, headers,
         pharmex::testing::waybill_lines(
             "2,10,1,0,1,A,B,,1,,,,,,,\n2,5,1,0,1,A,B,,1,,,,,,,\n1,20,1,0,2,A,B,,1,,,,,,,\n"
             "9,7,1,0,1,A,B,,1,,,,,,,\n9,8,1,0,1,A,B,,1,,,,,,,\n1,3,1,0,2,A,B,,1,,,,,,,\n"
             "2,30,1,0,3,A,B,,1,,,,,,,\n",
             GetParam().retyped));
  ASSERT_EQ(record_count(), 5u);
  const char* expected[][3] = {{"B-2", "20090401", "second"},
                               {"B-2", "20090401", "second"},
                               {"A-17", "20090305", "first"},
                               {"A-17", "20090305", "first"},
                               {"B-2", "20090401", "second"}};
  for (size_t n = 1; n <= 5; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(field(n, 1, 20), padded(expected[n - 1][0], 20));
    EXPECT_EQ(field(n, 21, 8), expected[n - 1][1]);
    EXPECT_EQ(field(n, 613, 100), padded(expected[n - 1][2], 100));
    EXPECT_EQ(field(n, kSumPay, 9), "    83.00");
  }
  EXPECT_EQ(headers->calls(memhost::Operation::Locate), GetParam().locates);
  EXPECT_EQ(headers->calls(memhost::Operation::Value), GetParam().header_values);
}

INSTANTIATE_TEST_SUITE_P(Keys, DjinalTwoWaybillsTest,
                         ::testing::Values(
                             // 2, 1, 9 (found nowhere: two lines left out), 1, 2; three columns on
                             // each of the four found.
                             TwoWaybillsCase{"", 5, 12},
                             // Every line; three columns on each of the five found.
                             TwoWaybillsCase{"waybillheads_id:float", 7, 15}),
                         [](const auto& info) {
                           return *info.param.retyped ? std::string("FloatKey") : "WholeKey";
                         });

TEST_F(DjinalTest, AnEmptyVatStoresZeroPriceWithoutVatAndRate) {
  run(kHeaderRow, "1,100,2,,1,A,B,,1,,,,,,,\n");
  EXPECT_EQ(field(1, 63, 18), "   100.00     0.00");  // PRICE2, PRICE2N
  EXPECT_EQ(field(1, 287, 9), "     0.00");           // NDS
}

struct BoxCase {
  const char* box;
  const char* stored;
  const char* retyped = "";  // "box:..." for a box of another type
};

std::ostream& operator<<(std::ostream& out, const BoxCase& c) {
  return out << "box " << c.box;
}

class DjinalBoxTest : public DjinalTest, public ::testing::WithParamInterface<BoxCase> {};

TEST_P(DjinalBoxTest, BoxBecomesAWholeNumberWithHalvesToEven) {
  run_on(djinal_routine, pharmex::testing::waybill_headers(kHeaderRow),
         pharmex::testing::waybill_lines(
             std::string("1,10,1,0,1,A,B,,") + GetParam().box + ",,,,,,,\n", GetParam().retyped));
  EXPECT_EQ(field(1, 279, 8), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Halves, DjinalBoxTest,
                         ::testing::Values(BoxCase{"12.5", "      12"}, BoxCase{"13.5", "      14"},
                                           BoxCase{"2.5", "       2"}, BoxCase{"7.51", "       8"},
                                           BoxCase{"0.4", "       0"},
                                           BoxCase{"99999999", "99999999"},
                                           BoxCase{"-2.5", "      -2"}, BoxCase{"-0.5", "       0"},
                                           BoxCase{"24", "      24", "box:integer"},
                                           BoxCase{"-7", "      -7", "box:smallint"},
                                           BoxCase{"\"6,5\"", "       6", "box:string(4)"}));

// Beyond the Integer's range, whatever the host's type.
TEST_F(DjinalTest, ABoxBeyondTheIntegerRangeFails) {
  for (auto [retyped, kind] : {std::pair{"", "Double"}, std::pair{"box:largeint", "Int64"}}) {
    SCOPED_TRACE(retyped);
    EXPECT_THROW_MSG(
        run_on(djinal_routine, pharmex::testing::waybill_headers(kHeaderRow),
               pharmex::testing::waybill_lines("1,10,1,0,1,A,B,,3000000000,,,,,,,\n", retyped)),
        VariantError,
        std::string("Overflow while converting variant of type (") + kind +
            ") into type (Integer)");
  }
}

// An empty price or quantity fails the sums before any record is written,
// even after a line that would have been.
class DjinalFirstPassTest : public DjinalTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DjinalFirstPassTest, AnEmptyPriceOrQuantityKeepsYesterdaysFile) {
  place_yesterdays();
  EXPECT_THROW_MSG(run(kHeaderRow, std::string(kLine1) + GetParam()), VariantError,
                   "Could not convert variant of type (Null) into type (Double)");
  EXPECT_EQ(file(), kYesterdays);
  EXPECT_EQ(folder(), std::vector<std::string>{"waybill.dbf"});
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
}

INSTANTIATE_TEST_SUITE_P(Lines, DjinalFirstPassTest,
                         ::testing::Values("1,,2,10,2,A,B,,1,,,,,,,\n",
                                           "1,10,,10,2,A,B,,1,,,,,,,\n",
                                           "1,10,,0,2,A,B,,1,,,,,,,\n"));

TEST_F(DjinalTest, AnEmptyBoxFailsTheRunAfterARecordAndLeavesNoTable) {
  EXPECT_THROW_MSG(run(kHeaderRow, std::string(kLine1) + "1,10,1,0,2,A,B,,,,,,,,,\n"), VariantError,
                   "Could not convert variant of type (Null) into type (Integer)");
  EXPECT_EQ(folder(), std::vector<std::string>{}) << "the record before was not to be found";
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 50", "finish 4660"}));
}

TEST_F(DjinalTest, ATotalTooWideForItsNineCharactersFails) {
  run(kHeaderRow, "1,999999.99,1,0,1,A,B,,1,,,,,,,\n");
  EXPECT_EQ(field(1, kSumPay, 9), "999999.99");
  const std::string yesterdays = file();
  host_events().clear();
  EXPECT_THROW_MSG(run(kHeaderRow, "1,500000,2,0,1,A,B,,1,,,,,,,\n"), DbfError,
                   "numeric value too big in field SUMPAY - 1000000.00");
  EXPECT_EQ(file(), yesterdays) << "the earlier run's table was touched";
  EXPECT_EQ(folder(), std::vector<std::string>{"waybill.dbf"});
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
}

TEST_F(DjinalTest, AColumnTheHostLacksIsNamed) {
  auto lines = memhost::read_csv(
      "waybillheads_id:integer,price:float,qty:float,nds:float\n1,10,1,0\n", "lines.csv");
  EXPECT_THROW_MSG(run_on(djinal_routine, pharmex::testing::waybill_headers(kHeaderRow), lines),
                   Error, "The host data have no column 'art_id'");
  EXPECT_EQ(folder(), std::vector<std::string>{});
  auto headers = memhost::read_csv("id:integer,native_id:string(20)\n1,A-17\n", "headers.csv");
  EXPECT_THROW_MSG(run_on(djinal_routine, headers, pharmex::testing::waybill_lines(kLine1)), Error,
                   "The host data have no column 'date'");
  EXPECT_EQ(folder(), std::vector<std::string>{});
  // DESCR, the last field, is filled after FIRM, before QNTPACK reads "box".
  std::string columns = pharmex::testing::waybill_line_columns();
  columns.replace(columns.find(",box:"), 5, ",pack:");
  auto without_box = memhost::read_csv(columns + kLine1, "lines.csv");
  auto without_descr =
      memhost::read_csv("id:integer,native_id:string(20),date:date\n1,A-17,2009-03-05\n", "h.csv");
  EXPECT_THROW_MSG(run_on(djinal_routine, without_descr, without_box), Error,
                   "The host data have no column 'orderdescr'");
}

TEST_F(DjinalTest, ToPathWritesTheTableAndLeavesTheRememberedFolder) {
  registry().write_string(platform::kHostSettingsKey, "waybill_export_path", "/earlier");
  auto headers = pharmex::testing::waybill_headers(kHeaderRow);
  auto lines = pharmex::testing::waybill_lines(std::string(kLine1) + kLine2);
  host::Callbacks callbacks = host::testing::recording_callbacks();
  std::string folder = root() + "/";
  waybill_export_ToPath(kHost, headers.get(), lines.get(), callbacks.progress, callbacks.start,
                        callbacks.finish, folder.c_str(), 4);
  EXPECT_STREQ(pharmex_last_error(), "");
  std::string table = pharmex::testing::read_file(root() + "/waybill_A-17.dbf");
  ASSERT_EQ(table.size(), file_size(2));
  EXPECT_EQ(table.substr(kHeader + kSumPay, 9), "   250.00");
  EXPECT_EQ(remembered(), "/earlier");
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 0", "progress 0 50", "progress 0 100", "finish 0"}));
}

}  // namespace
}  // namespace pharmex::exporting
