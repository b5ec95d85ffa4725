#include "memhost/csv_reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "core/error.h"
#include "memhost/csv_loaders.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace pharmex::memhost {
namespace {

using Kind = Variant::Kind;
using testing::CsvLoader;
using testing::kInMemory;
using testing::kOnDemand;

std::string ansi(std::string_view utf8) {
  return platform::text_codec().utf8_to_ansi(utf8);
}

// Loading into memory and opening the file give the same rows.
class CsvReaderTest : public ::testing::TestWithParam<CsvLoader> {
 protected:
  host::HostRef<MemoryDataSet> read_csv(std::string_view text, const std::string& file) {
    return GetParam().load(text, file);
  }
};

INSTANTIATE_TEST_SUITE_P(Loaders, CsvReaderTest, ::testing::Values(kInMemory, kOnDemand),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(CsvReaderTest, ReadsEveryColumnType) {
  auto data = read_csv(
      "s:string(40),f:fixedchar(3),w:widestring(12),si:smallint,wo:word,i:integer,"
      "l:largeint,a:autoinc,b:boolean,fl:float,c:currency,bc:bcd,fb:fmtbcd,d:date,t:time,"
      "dt:datetime,m:memo,wm:widememo,bl:blob\n"
      "Аспирин,ABC,Ωmega,-32768,65535,-2147483648,-9223372036854775808,7,TRUE,-1.5e3,"
      "-12.3456,0.25,1e-2,2024-02-29,23:59:59.999,1899-12-29T06:00,long text,Ωω,raw\n",
      "all.csv");
  struct Expected {
    TFieldType type;
    int32_t size;
    Kind kind;
  };
  const Expected expected[] = {
      {ftString, 40, Kind::String},     {ftFixedChar, 3, Kind::String},
      {ftWideString, 12, Kind::String}, {ftSmallint, 0, Kind::SmallInt},
      {ftWord, 0, Kind::Integer},       {ftInteger, 0, Kind::Integer},
      {ftLargeint, 0, Kind::Int64},     {ftAutoInc, 0, Kind::Integer},
      {ftBoolean, 0, Kind::Boolean},    {ftFloat, 0, Kind::Double},
      {ftCurrency, 0, Kind::Currency},  {ftBCD, 0, Kind::Double},
      {ftFMTBcd, 0, Kind::Double},      {ftDate, 0, Kind::Date},
      {ftTime, 0, Kind::Date},          {ftDateTime, 0, Kind::Date},
      {ftMemo, 0, Kind::String},        {ftWideMemo, 0, Kind::String},
      {ftBlob, 0, Kind::String},
  };
  ASSERT_EQ(data->columns().size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(data->columns()[i].type, expected[i].type);
    EXPECT_EQ(data->columns()[i].size, expected[i].size);
    EXPECT_EQ(data->value(0, i).kind(), expected[i].kind);
  }
  EXPECT_EQ(data->value(0, 0).string_value(), u"Аспирин");
  EXPECT_EQ(data->value(0, 2).string_value(), u"Ωmega");
  EXPECT_EQ(data->value(0, 3).whole_value(), -32768);
  EXPECT_EQ(data->value(0, 6).whole_value(), INT64_MIN);
  EXPECT_TRUE(data->value(0, 8).boolean_value());
  EXPECT_EQ(data->value(0, 9).double_value(), -1500.0);
  EXPECT_EQ(data->value(0, 10).whole_value(), -123456);
  EXPECT_EQ(data->value(0, 12).double_value(), 0.01);
  EXPECT_EQ(data->value(0, 13).double_value(), 45351.0);
  EXPECT_NEAR(data->value(0, 14).double_value(), 86399.999 / 86400, 1e-12);
  EXPECT_EQ(data->value(0, 15).double_value(), -1.25);
}

TEST_P(CsvReaderTest, QuotingFollowsRfc4180) {
  auto data = read_csv(
      "\xEF\xBB\xBFname:string(30),note:memo\r\n"
      "\"Smith, John\",\"He said \"\"hi\"\"\"\r\n"
      "\"two\nlines\",\"\"\r\n"
      "plain,\r\n"
      "\"\",x",
      "q.csv");
  ASSERT_EQ(data->row_count(), 4u);
  EXPECT_EQ(data->columns()[0].name, u"name") << "the byte-order mark is not part of the name";
  EXPECT_EQ(data->value(0, 0).string_value(), u"Smith, John");
  EXPECT_EQ(data->value(0, 1).string_value(), u"He said \"hi\"");
  EXPECT_EQ(data->value(1, 0).string_value(), u"two\nlines");
  EXPECT_EQ(data->value(1, 1).kind(), Kind::String) << "\"\" is an empty text";
  EXPECT_EQ(data->value(1, 1).string_value(), u"");
  EXPECT_TRUE(data->value(2, 1).is_null()) << "an unquoted empty cell is null";
  EXPECT_EQ(data->value(3, 0).string_value(), u"");
  EXPECT_EQ(data->value(3, 1).string_value(), u"x") << "the last line break may be left out";
}

TEST_P(CsvReaderTest, EveryLineIsARecord) {
  auto data = read_csv("qty:integer\n1\n\n3\n\n", "t.csv");
  ASSERT_EQ(data->row_count(), 4u);
  EXPECT_TRUE(data->value(1, 0).is_null());
  EXPECT_TRUE(data->value(3, 0).is_null());
  EXPECT_EQ(read_csv("qty:integer\n", "t.csv")->row_count(), 0u);
}

TEST_P(CsvReaderTest, LoneCarriageReturnIsText) {
  auto data = read_csv("s:string(5)\na\rb\n", "t.csv");
  EXPECT_EQ(data->value(0, 0).string_value(), u"a\rb");
}

struct ValueCase {
  const char* type;
  const char* cell;
  Variant expected;
};

void PrintTo(const ValueCase& c, std::ostream* out) {
  *out << c.type << " " << c.cell;
}

class CsvValueTest : public ::testing::TestWithParam<std::tuple<CsvLoader, ValueCase>> {};

TEST_P(CsvValueTest, ReadsTheCell) {
  const ValueCase& c = std::get<1>(GetParam());
  auto data = std::get<0>(GetParam()).load(std::string("v:") + c.type + "\n" + c.cell + "\n");
  const Variant value = data->value(0, 0);
  EXPECT_EQ(value.kind(), c.expected.kind());
  EXPECT_EQ(compare(value, c.expected, RegionalSettings{}), Ordering::Equal);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, CsvValueTest,
    ::testing::Combine(
        ::testing::Values(kInMemory, kOnDemand),
        ::testing::Values(ValueCase{"integer", "+12", Variant::integer(12)},
                          ValueCase{"integer", "-0", Variant::integer(0)},
                          ValueCase{"word", "0", Variant::integer(0)},
                          ValueCase{"largeint", "9223372036854775807", Variant::int64(INT64_MAX)},
                          ValueCase{"boolean", "0", Variant::boolean(false)},
                          ValueCase{"boolean", "False", Variant::boolean(false)},
                          ValueCase{"float", ".5", Variant::real(0.5)},
                          ValueCase{"float", "1E+3", Variant::real(1000)},
                          ValueCase{"float", "-inf", Variant::real(-INFINITY)},
                          ValueCase{"currency", "7", Variant::currency_units(70000)},
                          ValueCase{"currency", "-0.0001", Variant::currency_units(-1)},
                          ValueCase{"date", "1900-01-01", Variant::date(2)},
                          ValueCase{"datetime", "2000-01-01 12:00", Variant::date(36526.5)},
                          ValueCase{"time", "06:00", Variant::date(0.25)},
                          ValueCase{"string(3)", " padded ", Variant::ascii(" padded ")})));

struct ErrorCase {
  const char* name;
  const char* text;
  const char* message;  // UTF-8
};

void PrintTo(const ErrorCase& c, std::ostream* out) {
  *out << c.name;
}

class CsvErrorTest : public ::testing::TestWithParam<std::tuple<CsvLoader, ErrorCase>> {};

TEST_P(CsvErrorTest, NamesFileLineAndColumn) {
  const auto& [loader, c] = GetParam();
  // The messages below name "t.csv"; a file opened on demand is named by its path.
  const std::string message = loader.source_name() + std::string(c.message).substr(5);
  EXPECT_THROW_MSG(loader.load(c.text), Error, ansi(message));
}

INSTANTIATE_TEST_SUITE_P(
    Malformed, CsvErrorTest,
    ::testing::Combine(
        ::testing::Values(kInMemory, kOnDemand),
        ::testing::Values(
            ErrorCase{"EmptyFile", "", "t.csv:1:1: no header line"},
            ErrorCase{"OnlyAByteOrderMark", "\xEF\xBB\xBF", "t.csv:1:1: no header line"},
            ErrorCase{"UnterminatedQuote", "a:integer,b:memo\n1,\"open\n\n",
                      "t.csv:2:3: unterminated quoted cell"},
            ErrorCase{"TextAfterClosingQuote", "a:string(3)\n\"ab\"c\n",
                      "t.csv:2:5: unexpected character after closing quote"},
            ErrorCase{"QuoteInsideUnquotedCell", "a:string(3)\nab\"c\n",
                      "t.csv:2:3: quote inside an unquoted cell"},
            ErrorCase{"TooFewCells", "a:integer,b:integer\n1\n",
                      "t.csv:2:2: 1 cells where the header has 2"},
            ErrorCase{"TooManyCells", "a:integer\n1,2\n",
                      "t.csv:2:3: 2 cells where the header has 1"},
            ErrorCase{"BlankLineInTwoColumns", "a:integer,b:integer\n1,2\n\n3,4\n",
                      "t.csv:3:1: 1 cells where the header has 2"},
            ErrorCase{"UnknownType", "a:integer,b:varchar(5)\n",
                      "t.csv:1:11: unknown column type \"varchar(5)\""},
            ErrorCase{"StringWithoutSize", "a:string\n",
                      "t.csv:1:1: bad size in column type \"string\""},
            ErrorCase{"SizeOnInteger", "a:integer(4)\n",
                      "t.csv:1:1: bad size in column type \"integer(4)\""},
            ErrorCase{"HeaderWithoutType", "a:integer,b\n",
                      "t.csv:1:11: header cell \"b\" is not name:type"},
            ErrorCase{"HeaderWithoutName", ":integer\n",
                      "t.csv:1:1: header cell \":integer\" is not name:type"},
            ErrorCase{"DuplicateName", "qty:integer,QTY:float\n",
                      "t.csv:1:13: duplicate column name \"QTY\""},
            ErrorCase{"BadIntegerAfterCyrillic", "n:string(5),q:integer\nабв,12x\n",
                      "t.csv:2:5: \"12x\" is not a valid integer value for column \"q\""},
            ErrorCase{"CyrillicColumnName", "Кол-во:integer\n1.5\n",
                      "t.csv:2:1: \"1.5\" is not a valid integer value for column \"Кол-во\""},
            ErrorCase{"QuotedEmptyNumber", "a:float\n\"\"\n",
                      "t.csv:2:1: \"\" is not a valid float value for column \"a\""},
            ErrorCase{"DecimalComma", "a:float\n\"1,5\"\n",
                      "t.csv:2:1: \"1,5\" is not a valid float value for column \"a\""},
            ErrorCase{"SmallIntOverflow", "a:smallint\n40000\n",
                      "t.csv:2:1: \"40000\" is not a valid smallint value for column \"a\""},
            ErrorCase{"NegativeWord", "a:word\n-1\n",
                      "t.csv:2:1: \"-1\" is not a valid word value for column \"a\""},
            ErrorCase{"CurrencyTooPrecise", "a:currency\n1.23456\n",
                      "t.csv:2:1: \"1.23456\" is not a valid currency value for column \"a\""},
            ErrorCase{"BooleanWord", "a:boolean\nyes\n",
                      "t.csv:2:1: \"yes\" is not a valid boolean value for column \"a\""},
            ErrorCase{"NoSuchDay", "a:date\n2023-02-29\n",
                      "t.csv:2:1: \"2023-02-29\" is not a valid date value for column \"a\""},
            ErrorCase{"RegionalDate", "a:date\n01.02.2024\n",
                      "t.csv:2:1: \"01.02.2024\" is not a valid date value for column \"a\""},
            ErrorCase{
                "BadTime", "a:datetime\n2024-01-01 24:00\n",
                "t.csv:2:1: \"2024-01-01 24:00\" is not a valid datetime value for column \"a\""},
            ErrorCase{"LineCountIncludesQuotedBreaks", "a:memo,b:integer\n\"x\ny\",z\n",
                      "t.csv:3:4: \"z\" is not a valid integer value for column \"b\""},
            ErrorCase{"InvalidUtf8", "a:string(3)\nok\n\xFF\n", "t.csv:3:1: invalid UTF-8"},
            ErrorCase{"EncodedSurrogate", "a:string(3)\n\xED\xA0\x80\n",
                      "t.csv:2:1: invalid UTF-8"})),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

TEST(OpenCsvFileTest, MissingFileIsNamed) {
  pharmex::testing::TempDir dir;
  std::string path = dir.file("missing.csv");
  EXPECT_THROW_MSG(open_csv_file(path), Error, "Cannot open " + path);
}

TEST(OpenCsvFileTest, FileErrorsNameThePath) {
  pharmex::testing::TempDir dir;
  std::string path = dir.file("bad.csv");
  pharmex::testing::write_file(path, "a:integer\nx\n");
  EXPECT_THROW_MSG(open_csv_file(path), Error,
                   path + ":2:1: \"x\" is not a valid integer value for column \"a\"");
}

}  // namespace
}  // namespace pharmex::memhost
