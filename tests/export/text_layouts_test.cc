#include <gtest/gtest.h>

#include "core/error.h"
#include "core/regional_settings.h"
#include "export/apteka_2000w.h"
#include "export/efarma_sst.h"
#include "export/waybill_lines.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"
#include "waybill_fixture.h"

namespace pharmex::exporting {
namespace {

using testing::waybill_headers;
using testing::waybill_lines;

const char* kOneHeader = "1,123,2009-03-05,first\n";
// price 15, qty 10, nds 10, art 501 "Test" by MAKER; every optional column null.
const char* kOneLine = "1,15,10,10,501,Test,MAKER,,,,,,,,,\n";

std::string ansi(const char16_t* text) {
  return platform::text_codec().utf16_to_ansi(text);
}

enum class Layout { EfarmaSst, Apteka2000W };

class TextLayoutTest : public ::testing::Test {
 protected:
  // Runs a layout and returns the file's bytes (empty when the run failed and
  // left no file).
  // The run's settings are the defaults unless a test gives others.
  std::string run(Layout layout, const std::string& headers, const std::string& lines,
                  const RegionalSettings& settings = RegionalSettings{}) {
    return run(layout, headers, waybill_lines(lines), settings);
  }

  std::string run(Layout layout, const std::string& headers,
                  host::HostRef<memhost::MemoryDataSet> lines,
                  const RegionalSettings& settings = RegionalSettings{}) {
    WaybillLines waybill{host::HostDataSet(waybill_headers(headers)),
                         host::HostDataSet(std::move(lines))};
    AtomicTextFile file(path_, platform::posix_file_system());
    if (layout == Layout::EfarmaSst) {
      write_efarma_sst(waybill, file, settings);
    } else {
      write_apteka_2000w(waybill, file, settings);
    }
    file.commit();
    return pharmex::testing::read_file(path_);
  }

  pharmex::testing::TempDir dir_;
  std::string path_ = dir_.file("waybill.txt");
};

TEST_F(TextLayoutTest, EfarmaWorkedExample) {
  std::string expected = "[Header]\r\n123;05.03.2009;150.0000;" + ansi(u"ПОСТАВКА") +
                         ";15.0000;0;" + ansi(u"РУБЛЬ") +
                         ";1;\r\n[Body]\r\n501;TEST;MAKER;;10;15.0000;0;13.6364;0;0;;;;;;;;;0;\r\n";
  EXPECT_EQ(run(Layout::EfarmaSst, kOneHeader, kOneLine), expected);
}

TEST_F(TextLayoutTest, AptekaWorkedExample) {
  std::string expected =
      "[Header]\r\n123;05.03.2009;150.0000;" + ansi(u"ПОСТАВКА") + ";135.0000;;" + ansi(u"РУБЛЬ") +
      ";1.00;\r\n[Body]\r\n501;Test;MAKER;;10;15.0000;13.6364;;;;0;;;;;;;;;;\r\n";
  EXPECT_EQ(run(Layout::Apteka2000W, kOneHeader, kOneLine), expected);
}

TEST_F(TextLayoutTest, EmptyLinesGiveThreeLines) {
  EXPECT_EQ(run(Layout::EfarmaSst, kOneHeader, ""), "[Header]\r\n123;05.03.2009;0.0000;" +
                                                        ansi(u"ПОСТАВКА") + ";0;0;" +
                                                        ansi(u"РУБЛЬ") + ";1;\r\n[Body]\r\n");
  EXPECT_EQ(run(Layout::Apteka2000W, kOneHeader, ""), "[Header]\r\n123;05.03.2009;0.0000;" +
                                                          ansi(u"ПОСТАВКА") + ";;;" +
                                                          ansi(u"РУБЛЬ") + ";1.00;\r\n[Body]\r\n");
}

TEST_F(TextLayoutTest, CommaSettingsStillWritePoints) {
  std::string file = run(Layout::EfarmaSst, kOneHeader, "1,12.5,3,18,7,A,B,,,,,,,,,\n",
                         RegionalSettings{',', "dd.MM.yyyy", "H:mm:ss"});
  EXPECT_NE(file.find(";37.5000;"), std::string::npos) << file;
  EXPECT_NE(file.find("7;A;B;;3;12.5000;0;10.5932;"), std::string::npos) << file;
}

TEST_F(TextLayoutTest, HeaderDateFollowsTheRegionalPatternAndBodyDatesDoNot) {
  std::string file = run(Layout::Apteka2000W, kOneHeader,
                         "1,15,10,10,501,Test,MAKER,,,,2009-03-05,2011-12-31,,,,\n",
                         RegionalSettings{'.', "M/d/yyyy", "h:mm:ss"});
  EXPECT_NE(file.find("123;3/5/2009;"), std::string::npos) << file;
  EXPECT_NE(file.find(";05.03.2009;31.12.2011;"), std::string::npos) << file;
}

struct BodyCase {
  const char* name;
  Layout layout;
  const char* line;
  const char* expected_body;
  // "name:type" of a line column the host types otherwise ("price:string(9)").
  const char* retyped = "";
  // The host answers Empty where the line holds null.
  bool empty_for_null = false;
};

class TextLayoutBodyTest : public TextLayoutTest, public ::testing::WithParamInterface<BodyCase> {};

// The fixture's regional settings have "," as decimal separator.
TEST_P(TextLayoutBodyTest, WritesTheRecord) {
  auto lines = waybill_lines(GetParam().line, GetParam().retyped);
  if (GetParam().empty_for_null) testing::EmptyForNull::apply(*lines);
  std::string file = run(GetParam().layout, kOneHeader, std::move(lines));
  size_t body = file.find("[Body]\r\n");
  ASSERT_NE(body, std::string::npos);
  EXPECT_EQ(file.substr(body + 8), GetParam().expected_body);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextLayoutBodyTest,
    ::testing::Values(
        BodyCase{"NetPriceAt18", Layout::EfarmaSst, "1,100,1,18,5,X,Y,,,,,,,,,\n",
                 "5;X;Y;;1;100.0000;0;84.7458;0;0;;;;;;;;;0;\r\n"},
        BodyCase{"QtyHalfDown", Layout::EfarmaSst, "1,1,2.5,0,5,X,Y,,,,,,,,,\n",
                 "5;X;Y;;2;1.0000;0;1.0000;0;0;;;;;;;;;0;\r\n"},
        BodyCase{"QtyHalfUp", Layout::EfarmaSst, "1,1,3.5,0,5,X,Y,,,,,,,,,\n",
                 "5;X;Y;;4;1.0000;0;1.0000;0;0;;;;;;;;;0;\r\n"},
        BodyCase{"PriceHalfToEvenAtFourth", Layout::EfarmaSst, "1,0.00125,1,0,5,X,Y,,,,,,,,,\n",
                 "5;X;Y;;1;0.0012;0;0.0012;0;0;;;;;;;;;0;\r\n"},
        BodyCase{"SemicolonInCertificate", Layout::EfarmaSst,
                 "1,1,1,0,5,X,Y,,,,,,,No. 5; valid,,\n",
                 "5;X;Y;;1;1.0000;0;1.0000;0;0;;No. 5^ valid;;;;;;;0;\r\n"},
        // Separators past the first eight bytes and on a boundary of eight.
        BodyCase{"SeparatorsInALongCertificate", Layout::EfarmaSst,
                 "1,1,1,0,5,X,Y,,,,,,,\"Certificate no. 1234567;valid\r\nuntil 2030;\",,\n",
                 "5;X;Y;;1;1.0000;0;1.0000;0;0;;Certificate no. 1234567^valid  until 2030^;;;;;;;0;"
                 "\r\n"},
        BodyCase{"SemicolonEndingAShortCertificate", Layout::EfarmaSst,
                 "1,1,1,0,5,X,Y,,,,,,,Cert;,,\n",
                 "5;X;Y;;1;1.0000;0;1.0000;0;0;;Cert^;;;;;;;0;\r\n"},
        BodyCase{"OneCharacterCertificate", Layout::EfarmaSst, "1,1,1,0,5,X,Y,,,,,,,Z,,\n",
                 "5;X;Y;;1;1.0000;0;1.0000;0;0;;Z;;;;;;;0;\r\n"},
        BodyCase{"SemicolonInName", Layout::Apteka2000W, "1,1,1,10,5,a;b,Y,c;d,,,,,,,,\n",
                 "5;a^b;Y;c^d;1;1.0000;0.9091;;;;0;;;;;;;;;;\r\n"},
        BodyCase{"AptekaNetPriceOnlyAt10And18", Layout::Apteka2000W, "1,11,1,20,5,X,Y,,,,,,,,,\n",
                 "5;X;Y;;1;11.0000;;;;;0;;;;;;;;;;\r\n"},
        BodyCase{"AptekaDatesAtTheCalendarsEnds", Layout::Apteka2000W,
                 "1,11,2,10,5,X,Y,,,,1900-03-01,9999-12-31,,,,\n",
                 "5;X;Y;;2;11.0000;10.0000;;;;0;;;;01.03.1900;31.12.9999;;;;;\r\n"},
        BodyCase{"AptekaAllOptionalColumns", Layout::Apteka2000W,
                 "1,11,2,10,5,X,Y,RU,,S1,2020-01-02,2022-03-04,G1,C1,,4600000000001\n",
                 "5;X;Y;RU;2;11.0000;10.0000;;;;0;G1;C1;S1;02.01.2020;04.03.2022;4600000000001;;;;"
                 "\r\n"},
        // A price given as text is read with the layout's "." by the line
        // filter as by the sums and the record.
        BodyCase{"TextPriceWithPoint", Layout::EfarmaSst, "1,15.5,2,10,5,X,Y,,,,,,,,,\n",
                 "5;X;Y;;2;15.5000;0;14.0909;0;0;;;;;;;;;0;\r\n", "price:string(9)"},
        BodyCase{"AptekaTextPriceWithPoint", Layout::Apteka2000W, "1,15.5,2,10,5,X,Y,,,,,,,,,\n",
                 "5;X;Y;;2;15.5000;14.0909;;;;0;;;;;;;;;;\r\n", "price:string(9)"},
        // The certificate name is text: a number is written as its text.
        BodyCase{"NumericCertificate", Layout::EfarmaSst, "1,1,1,0,5,X,Y,,,,,,,12.5,,\n",
                 "5;X;Y;;1;1.0000;0;1.0000;0;0;;12.5;;;;;;;0;\r\n", "sertname:float"},
        // Empty adds nothing to its field (a null maker would stop the run).
        BodyCase{"EmptyCells", Layout::EfarmaSst, "1,1,1,0,5,X,,,,,,,,,,\n",
                 "5;X;;;1;1.0000;0;1.0000;0;0;;;;;;;;;0;\r\n", "", true},
        BodyCase{"AptekaEmptyCells", Layout::Apteka2000W, "1,1,1,10,5,,Y,,,,,,,,,\n",
                 "5;;Y;;1;1.0000;0.9091;;;;0;;;;;;;;;;\r\n", "", true},
        // A line break inside a text would split the record: each CR or LF is a blank.
        BodyCase{"LineBreaksInText", Layout::EfarmaSst,
                 "1,1,1,0,5,\"a\r\nb\",Y,\"c\rd\",,\"s\n1\",,,,\"No. 5;\r\nvalid\",,\n",
                 "5;A  B;Y;c d;1;1.0000;0;1.0000;0;0;;No. 5^  valid;s 1;;;;;;0;\r\n"},
        BodyCase{"AptekaLineBreaksInText", Layout::Apteka2000W,
                 "1,1,1,0,5,X,\"M\nN\",,,,,,,,,\"46\r00\"\n",
                 "5;X;M N;;1;1.0000;;;;;0;;;;;;46 00;;;;\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextLayoutTest, FilterSkipsLinesButTotalsCountThem) {
  // price 0, negative, null and a line of an unknown waybill are not written.
  std::string lines =
      "1,0,5,10,1,A,B,,,,,,,,,\n"
      "1,-2,1,10,2,A,B,,,,,,,,,\n"
      "9,4,1,0,3,A,B,,,,,,,,,\n"
      "1,10,1,10,4,A,B,,,,,,,,,\n";
  std::string file = run(Layout::EfarmaSst, kOneHeader, lines);
  // Totals: 0 - 2 + 4 + 10 = 12; VAT 10 %: 0 - 0.2 + 1 = 0.8.
  EXPECT_NE(file.find(";12.0000;"), std::string::npos) << file;
  EXPECT_NE(file.find(";0.8000;0;"), std::string::npos) << file;
  size_t body = file.find("[Body]\r\n");
  EXPECT_EQ(file.substr(body + 8), "4;A;B;;1;10.0000;0;9.0909;0;0;;;;;;;;;0;\r\n");
}

TEST_F(TextLayoutTest, TwoWaybillsInTheHeaderDataset) {
  std::string file = run(Layout::EfarmaSst, "1,16,2009-03-05,x\n2,17,2009-03-06,y\n",
                         "2,1,1,0,20,A,B,,,,,,,,,\n1,1,1,0,10,A,B,,,,,,,,,\n");
  // The header record is the header dataset's current row when the export
  // starts (the first); both lines belong to a known waybill and are written.
  EXPECT_EQ(file.find("[Header]\r\n16;05.03.2009;2.0000;"), 0u) << file;
  EXPECT_NE(file.find("20;A;B;"), std::string::npos);
  EXPECT_NE(file.find("10;A;B;"), std::string::npos);
}

struct FailureCase {
  const char* name;
  Layout layout;
  const char* header;
  const char* line;
  const char* message;
  const char* retyped = "";  // as in BodyCase
};

class TextLayoutFailureTest : public TextLayoutTest,
                              public ::testing::WithParamInterface<FailureCase> {};

TEST_P(TextLayoutFailureTest, FailsWithTheVariantMessageAndLeavesNoFile) {
  pharmex::testing::write_file(path_, "an earlier waybill");
  EXPECT_THROW_MSG(
      run(GetParam().layout, GetParam().header, waybill_lines(GetParam().line, GetParam().retyped)),
      Error, GetParam().message);
  EXPECT_EQ(pharmex::testing::read_file(path_), "an earlier waybill");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextLayoutFailureTest,
    ::testing::Values(
        FailureCase{"NullPriceInTotals", Layout::EfarmaSst, kOneHeader, "1,,1,10,5,X,Y,,,,,,,,,\n",
                    "Could not convert variant of type (Null) into type (Double)"},
        FailureCase{"NullQtyInTotals", Layout::Apteka2000W, kOneHeader, "1,1,,10,5,X,Y,,,,,,,,,\n",
                    "Could not convert variant of type (Null) into type (Double)"},
        FailureCase{"TextNativeId", Layout::EfarmaSst, "1,A-17,2009-03-05,x\n", kOneLine,
                    "Could not convert variant of type (String) into type (Double)"},
        FailureCase{"NullNativeId", Layout::Apteka2000W, "1,,2009-03-05,x\n", kOneLine,
                    "Could not convert variant of type (Null) into type (Double)"},
        FailureCase{"NullDate", Layout::EfarmaSst, "1,1,,x\n", kOneLine,
                    "Could not convert variant of type (Null) into type (Date)"},
        FailureCase{"NullArtId", Layout::EfarmaSst, kOneHeader, "1,1,1,10,,X,Y,,,,,,,,,\n",
                    "Could not convert variant of type (Null) into type (Integer)"},
        FailureCase{"NullName", Layout::Apteka2000W, kOneHeader, "1,1,1,10,5,,Y,,,,,,,,,\n",
                    "Could not convert variant of type (Null) into type (String)"},
        FailureCase{"NullMaker", Layout::EfarmaSst, kOneHeader, "1,1,1,10,5,X,,,,,,,,,,\n",
                    "Could not convert variant of type (Null) into type (String)"},
        FailureCase{"NullNdsInWrittenLine", Layout::EfarmaSst, kOneHeader,
                    "1,1,1,,5,X,Y,,,,,,,,,\n",
                    "Could not convert variant of type (Null) into type (Double)"},
        // The layouts read numbers as they write them, with "."; a text price
        // with "," is no number to them, whatever the regional settings.
        FailureCase{
            "TextPriceWithComma", Layout::EfarmaSst, kOneHeader, "1,\"15,5\",2,10,5,X,Y,,,,,,,,,\n",
            "Could not convert variant of type (String) into type (Double)", "price:string(9)"},
        FailureCase{"AptekaTextPriceWithComma", Layout::Apteka2000W, kOneHeader,
                    "1,\"15,5\",2,10,5,X,Y,,,,,,,,,\n",
                    "Could not convert variant of type (String) into type (Double)",
                    "price:string(9)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TextLayoutTest, ANumberInATextColumnFailsByTheVariantRule) {
  auto lines = memhost::read_csv(
      "waybillheads_id:integer,price:float,qty:float,nds:float,art_id:integer,art_name:string(9),"
      "maker:integer,country:string(9),serial:string(9),dateworkfirst:date,dateworklast:date,"
      "gtd:string(9),sertname:string(9),ean13:string(13)\n1,1,1,10,5,X,42,,,,,,,\n",
      "lines.csv");
  WaybillLines waybill{host::HostDataSet(waybill_headers(kOneHeader)), host::HostDataSet(lines)};
  AtomicTextFile file(path_, platform::posix_file_system());
  EXPECT_THROW_MSG(write_efarma_sst(waybill, file, RegionalSettings{}), VariantError,
                   "Could not convert variant of type (String) into type (Double)");
}

TEST_F(TextLayoutTest, AMissingColumnIsNamed) {
  auto lines = memhost::read_csv("waybillheads_id:integer,price:float,qty:float\n1,1,1\n", "l.csv");
  WaybillLines waybill{host::HostDataSet(waybill_headers(kOneHeader)), host::HostDataSet(lines)};
  AtomicTextFile file(path_, platform::posix_file_system());
  EXPECT_THROW_MSG(write_apteka_2000w(waybill, file, RegionalSettings{}), Error,
                   "The host data have no column 'nds'");
}

}  // namespace
}  // namespace pharmex::exporting
