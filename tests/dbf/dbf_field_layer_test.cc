#include "dbf/dbf_field_layer.h"

#include <cmath>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "core/date_time.h"
#include "core/error.h"
#include "dbf/dbf_test_util.h"
#include "testing/test_support.h"

namespace pharmex::dbf {
namespace {

using pharmex::testing::TempDir;
using pharmex::testing::write_file;
using testing::FieldSpec;
using testing::MakeTable;
using testing::TableSpec;

class FieldLayerTest : public ::testing::Test {
 protected:
  // Opens ORDERS.DBF with these fields and one record holding `record`;
  // `driver` is the language driver in header byte 29.
  TDbfFieldLayer& Open(std::vector<FieldSpec> fields, std::string record = "",
                       uint8_t version = 0x03, uint8_t driver = 0) {
    TableSpec spec;
    spec.version = version;
    spec.fields = std::move(fields);
    spec.records = {record};
    path_ = dir_.file("ORDERS.DBF");
    std::string bytes = MakeTable(spec);
    bytes[29] = static_cast<char>(driver);
    write_file(path_, bytes);
    table_ = std::make_unique<TDbfFieldLayer>(path_, false, true, platform::posix_file_system(),
                                              platform::system_clock());
    table_->OpenTable();
    EXPECT_TRUE(table_->GotoRecord(1));
    return *table_;
  }

  TempDir dir_;
  std::string path_;
  std::unique_ptr<TDbfFieldLayer> table_;
};

struct NumberCase {
  int length;
  int decimals;
  double value;
  const char* stored;
};

class PutNumberTest : public FieldLayerTest, public ::testing::WithParamInterface<NumberCase> {};

TEST_P(PutNumberTest, StoresFixedPointTextRightJustified) {
  const NumberCase& c = GetParam();
  TDbfFieldLayer& table = Open({{"QTY", 'N', c.length, c.decimals}});
  table.PutNumber(0, c.value);
  EXPECT_EQ(table.GetFieldText(0), c.stored);
  EXPECT_TRUE(table.FieldChanged(0));
}

INSTANTIATE_TEST_SUITE_P(
    Rule, PutNumberTest,
    ::testing::Values(NumberCase{6, 2, 5, "  5.00"}, NumberCase{6, 2, -0.5, " -0.50"},
                      NumberCase{6, 2, 0.125, "  0.13"},  // half away from zero
                      NumberCase{6, 2, 0.001, "  0.00"},
                      NumberCase{6, 2, -0.001, " -0.00"},  // the sign of a value that shows zero
                      NumberCase{5, 0, 2.5, "    3"}, NumberCase{5, 0, -2.5, "   -3"},
                      NumberCase{3, 0, 999, "999"}, NumberCase{8, 3, 1234.5678, "1234.568"},
                      NumberCase{4, 2, 0.5, "0.50"}, NumberCase{10, 0, 0.4, "         0"},
                      // exactly 1234567890123456768: 18 significant digits, then zeros
                      NumberCase{20, 0, 1234567890123456789.0, " 1234567890123456770"},
                      NumberCase{5, 2, -0.0, "-0.00"},  // just fits, sign of zero kept
                      NumberCase{5, 3, 0.0004, "0.000"},
                      // too large to scale to units: taken by its digits
                      NumberCase{20, 2, 1e16 + 2, "10000000000000002.00"},
                      NumberCase{21, 3, -1.5e15, "-1500000000000000.000"}));

// A value given to a field again and again stores the same bytes each time
// (the third time they come from the layer's memo of repeated values), and a
// different value, kind or field width is never served the memo's bytes.
struct RepeatStep {
  char kind;  // 'n' PutNumber, 'w' PutInteger, 'd' PutDate, 'z' PutZero, 'b' BlankRecord
  double value;
  const char* stored;  // null: the write fails and leaves the field alone
};

struct RepeatCase {
  const char* label;
  FieldSpec field;
  std::vector<RepeatStep> steps;
};

class RepeatedValueTest : public FieldLayerTest,
                          public ::testing::WithParamInterface<RepeatCase> {};

TEST_P(RepeatedValueTest, StoresTheSameBytesEveryTime) {
  const RepeatCase& c = GetParam();
  TDbfFieldLayer& table = Open({c.field});
  std::string before(table.GetFieldText(0));
  for (size_t i = 0; i < c.steps.size(); ++i) {
    const RepeatStep& step = c.steps[i];
    auto write = [&] {
      if (step.kind == 'n') table.PutNumber(0, step.value);
      if (step.kind == 'w') table.PutInteger(0, static_cast<int64_t>(step.value));
      if (step.kind == 'd') table.PutDate(0, step.value);
      if (step.kind == 'z') table.PutZero(0);
      if (step.kind == 'b') table.BlankRecord();
    };
    if (step.stored == nullptr) {
      EXPECT_THROW(write(), DbfError) << "step " << i;
      EXPECT_EQ(table.GetFieldText(0), before) << "step " << i;
      continue;
    }
    write();
    EXPECT_EQ(table.GetFieldText(0), step.stored) << "step " << i;
    before = step.stored;
  }
}

const double kMarch5 = *encode_date(2024, 3, 5);

// A price that changes on every record (the memo rests from it after a run
// of misses), then one that repeats across the end of the rest, then the
// changing prices again: each step's text is the value's own.
std::vector<RepeatStep> changing_then_repeated() {
  static std::deque<std::string> texts;  // the steps point at them
  std::vector<RepeatStep> steps;
  auto add = [&steps](double value) {
    char text[16];
    std::snprintf(text, sizeof text, "%8.2f", value);
    steps.push_back({'n', value, texts.emplace_back(text).c_str()});
  };
  for (int i = 0; i < 40; ++i)
    add(i + 0.25);
  for (int i = 0; i < 600; ++i)
    add(i % 3 == 0 ? 7.5 : 12.75);
  for (int i = 40; i > 0; --i)
    add(i + 0.25);
  return steps;
}

INSTANTIATE_TEST_SUITE_P(
    Memo, RepeatedValueTest,
    ::testing::Values(
        RepeatCase{"ZeroThenMinusZero",
                   {"QNT", 'N', 6, 2},
                   {{'n', 0.0, "  0.00"},
                    {'n', 0.0, "  0.00"},
                    {'n', 0.0, "  0.00"},
                    {'n', -0.0, " -0.00"},
                    {'n', -0.0, " -0.00"},
                    {'n', -0.0, " -0.00"},
                    {'n', 0.0, "  0.00"}}},
        RepeatCase{"AFailureBetweenRepeats",
                   {"QNT", 'N', 6, 2},
                   {{'n', 5, "  5.00"},
                    {'n', 5, "  5.00"},
                    {'n', 1e300, nullptr},
                    {'n', 5, "  5.00"},
                    {'n', 5, "  5.00"},
                    {'n', 7.125, "  7.13"}}},
        // 2.0 and 4611686018427387904 have the same 64 bits.
        RepeatCase{"WholeNumbersAreNotDoubles",
                   {"CODE", 'N', 20, 0},
                   {{'n', 2.0, "                   2"},
                    {'n', 2.0, "                   2"},
                    {'n', 2.0, "                   2"},
                    {'w', 4611686018427387904.0, " 4611686018427387900"},
                    {'w', 4611686018427387904.0, " 4611686018427387900"},
                    {'w', 4611686018427387904.0, " 4611686018427387900"},
                    {'n', 2.0, "                   2"}}},
        RepeatCase{"ANarrowField",
                   {"GNVLS", 'N', 1, 0},
                   {{'w', 1, "1"}, {'w', 1, "1"}, {'w', 1, "1"}, {'w', 0, "0"}, {'n', 0, "0"}}},
        RepeatCase{"AWideField",
                   {"SUM", 'N', 13, 3},
                   {{'n', 12.5, "       12.500"},
                    {'n', 12.5, "       12.500"},
                    {'n', 12.5, "       12.500"},
                    {'n', -12.5, "      -12.500"}}},
        // Values that take turns are kept side by side; a fifth one pushes
        // out the earliest, which is then formatted again.
        RepeatCase{"RatesTakingTurns",
                   {"NDS", 'N', 5, 1},
                   {{'n', 10, " 10.0"},
                    {'n', 20, " 20.0"},
                    {'n', 10, " 10.0"},
                    {'n', 20, " 20.0"},
                    {'n', 10, " 10.0"},
                    {'n', 18, " 18.0"},
                    {'n', 0, "  0.0"},
                    {'n', 20, " 20.0"},
                    {'n', 5, "  5.0"},
                    {'n', 10, " 10.0"},
                    {'n', 10, " 10.0"},
                    {'w', 10, " 10.0"},
                    {'n', 18, " 18.0"},
                    {'n', 0, "  0.0"},
                    {'n', 1e6, nullptr},
                    {'n', 5, "  5.0"},
                    {'n', 20, " 20.0"}}},
        // The null of a number is the blank record's zero, before a blank
        // record is made and after.
        RepeatCase{"ZeroAsTheBlankRecordHasIt",
                   {"PRICE", 'N', 7, 2},
                   {{'n', 5, "   5.00"},
                    {'z', 0, "   0.00"},
                    {'n', -1.5, "  -1.50"},
                    {'b', 0, "   0.00"},
                    {'n', 12.25, "  12.25"},
                    {'z', 0, "   0.00"},
                    {'w', 0, "   0.00"},
                    {'n', -0.0, "  -0.00"},
                    {'z', 0, "   0.00"}}},
        RepeatCase{"ChangingThenRepeatedPrices", {"PRICE", 'N', 8, 2}, changing_then_repeated()},
        RepeatCase{"DatesAndDatesBeyondTheCalendar",
                   {"D", 'D', 8, 0},
                   {{'d', kMarch5, "20240305"},
                    {'d', kMarch5, "20240305"},
                    {'d', kMarch5, "20240305"},
                    {'d', -700000, "        "},
                    {'d', -700000, "        "},
                    {'d', -700000, "        "},
                    {'d', kMarch5 + 1, "20240306"}}}),
    [](const ::testing::TestParamInfo<RepeatCase>& info) { return info.param.label; });

TEST_F(FieldLayerTest, ReopeningForgetsTheValuesOfTheFormerFields) {
  TDbfFieldLayer& table = Open({{"QNT", 'N', 6, 2}});
  for (int i = 0; i < 3; ++i)
    table.PutNumber(0, 5);
  EXPECT_EQ(table.GetFieldText(0), "  5.00");
  table.CloseTable();
  TableSpec spec;
  spec.fields = {{"QNT", 'N', 6, 0}};
  spec.records = {"     1"};
  write_file(path_, MakeTable(spec));
  table.OpenTable();
  ASSERT_TRUE(table.GotoRecord(1));
  table.PutNumber(0, 5);
  EXPECT_EQ(table.GetFieldText(0), "     5");
}

TEST_F(FieldLayerTest, TooWideNumberNamesFieldAndTextAndLeavesTheFieldAlone) {
  TDbfFieldLayer& table = Open({{"QTY", 'N', 3, 0}}, "  7");
  EXPECT_THROW_MSG(table.PutNumber(0, 1000), DbfError, "numeric value too big in field QTY - 1000");
  EXPECT_THROW_MSG(table.PutInteger(0, -100), DbfError,
                   "numeric value too big in field QTY - -100");
  EXPECT_THROW_MSG(table.PutNumber(0, NAN), DbfError, "numeric value too big in field QTY - NAN");
  EXPECT_THROW_MSG(table.PutNumber(0, -INFINITY), DbfError,
                   "numeric value too big in field QTY - -INF");
  EXPECT_THROW_MSG(table.PutNumber(0, 1e20), DbfError,
                   "numeric value too big in field QTY - 100000000000000000000");
  EXPECT_THROW_MSG(table.PutNumber(0, -99.5), DbfError,
                   "numeric value too big in field QTY - -100");
  EXPECT_EQ(table.GetFieldText(0), "  7");
  EXPECT_FALSE(table.RecordChanged());
  TDbfFieldLayer& priced = Open({{"SUM", 'N', 5, 2}}, " 1.00");
  EXPECT_THROW_MSG(priced.PutInteger(0, -100), DbfError,
                   "numeric value too big in field SUM - -100.00");
  EXPECT_THROW_MSG(priced.PutNumber(0, 99.995), DbfError,
                   "numeric value too big in field SUM - 100.00");
  EXPECT_EQ(priced.GetFieldText(0), " 1.00");
  EXPECT_FALSE(priced.RecordChanged());
}

TEST_F(FieldLayerTest, WholeNumbersKeepEighteenSignificantDigits) {
  TDbfFieldLayer& table = Open({{"BIG", 'N', 20, 0}, {"DEC", 'N', 12, 2}});
  table.PutInteger(0, 12345678901234567);
  EXPECT_EQ(table.GetFieldText(0), "   12345678901234567");
  EXPECT_EQ(table.GetInteger(0), 12345678901234567);
  table.PutInteger(0, 1234567890123456789);
  EXPECT_EQ(table.GetFieldText(0), " 1234567890123456790");
  table.PutInteger(0, -9223372036854775807 - 1);
  EXPECT_EQ(table.GetFieldText(0), "-9223372036854775810");
  table.PutInteger(1, -42);
  EXPECT_EQ(table.GetFieldText(1), "      -42.00");
}

TEST_F(FieldLayerTest, MemoBlockNumbersAreWholeNumbersWithoutDecimals) {
  TDbfFieldLayer& table = Open({{"NOTE", 'M', 10, 2}});
  table.PutInteger(0, 17);
  EXPECT_EQ(table.GetFieldText(0), "        17");
  EXPECT_EQ(table.GetInteger(0), 17);
}

TEST_F(FieldLayerTest, NumbersOnlyGoIntoNumericFields) {
  TDbfFieldLayer& table = Open({{"NAME", 'C', 5, 0}, {"DAY", 'D', 8, 0}, {"OBJ", 'O', 4, 0}});
  EXPECT_THROW_MSG(table.PutNumber(0, 1), DbfError, "Field NAME is the incorrect type");
  EXPECT_THROW_MSG(table.PutInteger(1, 1), DbfError, "Field DAY is the incorrect type");
  EXPECT_THROW_MSG(table.GetNumber(2), DbfError, "Field OBJ is the incorrect type");
}

struct ReadNumberCase {
  std::string text;
  double value;
};

class GetNumberTest : public FieldLayerTest,
                      public ::testing::WithParamInterface<ReadNumberCase> {};

TEST_P(GetNumberTest, ReadsLocaleIndependentNumbers) {
  TDbfFieldLayer& table = Open({{"QTY", 'N', 8, 2}}, GetParam().text);
  EXPECT_DOUBLE_EQ(table.GetNumber(0), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Text, GetNumberTest,
                         ::testing::Values(ReadNumberCase{"        ", 0},
                                           ReadNumberCase{"   12.50", 12.5},
                                           ReadNumberCase{"-3.25   ", -3.25},
                                           ReadNumberCase{"   1e3  ", 1000},
                                           ReadNumberCase{std::string("12\0\0\0\0\0\0", 8), 12}));

TEST_F(FieldLayerTest, InvalidNumberNamesTableFieldAndText) {
  TDbfFieldLayer& table = Open({{"QTY", 'N', 6, 1}}, "  12,5");
  EXPECT_THROW_MSG(table.GetNumber(0), DbfError,
                   "Invalid numeric value in field ORDERS->QTY (12,5)");
  EXPECT_THROW_MSG(table.GetInteger(0), DbfError,
                   "Invalid numeric value in field ORDERS->QTY (12,5)");
}

TEST_F(FieldLayerTest, FractionsReadAsWholeNumbersRoundHalvesToEven) {
  TDbfFieldLayer& table = Open({{"A", 'N', 5, 0}, {"B", 'N', 5, 0}, {"C", 'N', 25, 0}},
                               " 12.5 13.5" + std::string(5, ' ') + "99999999999999999999");
  EXPECT_EQ(table.GetInteger(0), 12);
  EXPECT_EQ(table.GetInteger(1), 14);
  EXPECT_THROW_MSG(table.GetInteger(2), DbfError,
                   "Invalid numeric value in field ORDERS->C (99999999999999999999)");
}

TEST_F(FieldLayerTest, LogicalsWriteTOrFAndReadTheirTrueLetters) {
  TDbfFieldLayer& table = Open({{"OK", 'L', 1, 0}, {"NAME", 'C', 3, 0}});
  table.PutLogical(0, true);
  EXPECT_EQ(table.GetFieldText(0), "T");
  table.PutLogical(0, false);
  EXPECT_EQ(table.GetFieldText(0), "F");
  for (char c : std::string("TtYyJj")) {
    table.PutFieldText(0, std::string(1, c));
    EXPECT_TRUE(table.GetLogical(0)) << c;
  }
  for (char c : std::string("Ff?N 0")) {
    table.PutFieldText(0, std::string(1, c));
    EXPECT_FALSE(table.GetLogical(0)) << c;
  }
  EXPECT_THROW_MSG(table.PutLogical(1, true), DbfError, "Invalid Logical value for field NAME");
}

TEST_F(FieldLayerTest, DatesAreYyyymmddText) {
  TDbfFieldLayer& table = Open({{"DAY", 'D', 8, 0}});
  table.PutDate(0, *encode_date(2024, 3, 5) + 0.75);  // the time of day is dropped
  EXPECT_EQ(table.GetFieldText(0), "20240305");
  EXPECT_EQ(table.GetDate(0), encode_date(2024, 3, 5));
  table.PutDate(0, 1e9);  // no such date: blanks
  EXPECT_EQ(table.GetFieldText(0), "        ");
  table.PutDate(0, -693593.75);  // the first day and the last
  EXPECT_EQ(table.GetFieldText(0), "00010101");
  table.PutDate(0, 2958465.999);
  EXPECT_EQ(table.GetFieldText(0), "99991231");
  table.PutDate(0, 2958466);
  EXPECT_EQ(table.GetFieldText(0), "        ");
  for (const char* text :
       {"        ", "00000000", "20240230", "2024035 ", "2024-3-5", "ABCDEFGH"}) {
    table.PutFieldText(0, text);
    EXPECT_EQ(table.GetDate(0), std::nullopt) << text;
  }
  // Another program's table may declare a date field of another width.
  TDbfFieldLayer& other = Open({{"SHORT", 'D', 6, 0}, {"LONG", 'D', 10, 0}}, "xxxxxxyyyyyyyyyy");
  other.PutDate(0, *encode_date(2024, 3, 5));
  other.PutDate(1, *encode_date(2024, 3, 5));
  EXPECT_EQ(other.GetFieldText(0), "202403");
  EXPECT_EQ(other.GetFieldText(1), "20240305  ");
  EXPECT_EQ(other.GetDate(1), encode_date(2024, 3, 5));
}

TEST_F(FieldLayerTest, TextIsCutLeftJustifiedAndTrimmedOnReading) {
  TDbfFieldLayer& table = Open({{"NAME", 'C', 5, 0}, {"QTY", 'N', 5, 0}});
  table.PutString(0, "abcdefg", true);
  EXPECT_EQ(table.GetFieldText(0), "abcde");
  table.PutString(0, "ab", true);
  EXPECT_EQ(table.GetFieldText(0), "ab   ");
  table.PutFieldText(0, std::string("ab\x01\0 ", 5));
  std::string text;
  table.GetString(0, true, text);
  EXPECT_EQ(text, "ab");
  table.PutFieldText(1, "42");  // other types are right-justified
  EXPECT_EQ(table.GetFieldText(1), "   42");
  table.ClearField(0);
  table.GetString(0, true, text);
  EXPECT_EQ(text, "");
}

// The language driver in header byte 29, and whether the table's text is
// then taken as 1251 rather than as OEM (866).
struct DriverCase {
  const char* what;
  uint8_t driver;
  bool in_1251;
};

class TextCodePageTest : public FieldLayerTest, public ::testing::WithParamInterface<DriverCase> {};

TEST_P(TextCodePageTest, CyrillicTextIsStoredInTheTablesCodePage) {
  const std::string ansi = "\xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет" in 1251
  const std::string oem = "\x8F\xE0\xA8\xA2\xA5\xE2";   // the same word in 866
  const std::string stored = GetParam().in_1251 ? ansi : oem;
  TDbfFieldLayer& table = Open({{"NAME", 'C', 10, 0}}, "", 0x03, GetParam().driver);
  table.PutString(0, ansi, true);
  EXPECT_EQ(table.GetFieldText(0), stored + "    ");
  std::string text;
  table.GetString(0, true, text);
  EXPECT_EQ(text, ansi);
  std::u16string utf16;
  table.GetStringUtf16(0, true, utf16);
  EXPECT_EQ(utf16, u"Привет");
  table.GetString(0, false, text);  // the field's own switch off
  EXPECT_EQ(text, stored);
  table.SetTranslateASCII(false);
  table.GetString(0, true, text);
  EXPECT_EQ(text, stored);
  table.PutString(0, ansi, true);
  EXPECT_EQ(table.GetFieldText(0), ansi + "    ");
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, TextCodePageTest,
    ::testing::Values(DriverCase{"NoMark", 0x00, false}, DriverCase{"Cp866", 0x26, false},
                      DriverCase{"Cp866Russian", 0x65, false}, DriverCase{"Cp1251", 0xC9, true},
                      // Western marks are often left on 866 text.
                      DriverCase{"Cp437Mark", 0x01, false}, DriverCase{"Cp1252Mark", 0x57, false}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(FieldLayerTest, TranslationStopsAtTheFirstZeroByte) {
  TDbfFieldLayer& table = Open({{"NAME", 'C', 4, 0}, {"LONG", 'C', 30, 0}});
  table.PutString(0, std::string("\xCF\0\xCF", 3), true);
  EXPECT_EQ(table.GetFieldText(0), std::string("\x8F\0\xCF ", 4));
  // Longer text goes eight bytes at a time: an ASCII word, a word with one
  // Cyrillic letter, the zero in the third word.
  const std::string ansi(
      "abcdefgh\xCF"
      "bcdefghxy\0\xCF\xCF",
      21);
  table.PutString(1, ansi, true);
  EXPECT_EQ(table.GetFieldText(1), std::string("abcdefgh\x8F"
                                               "bcdefghxy\0\xCF\xCF",
                                               21) +
                                       std::string(9, ' '));
  std::string text;
  table.GetString(1, true, text);
  EXPECT_EQ(text, ansi);
}

TEST_F(FieldLayerTest, BlankRecordHasZeroInNumbersAndBlanksElsewhere) {
  TDbfFieldLayer& table =
      Open({{"NAME", 'C', 5, 0}, {"QNT", 'N', 8, 2}, {"D", 'D', 8, 0}, {"F", 'L', 1, 0}},
           "xxxxxxxxxxxxxxxxxxxxxx");
  table.BlankRecord();
  EXPECT_EQ(std::string(table.RecordBuffer().data(), table.RecordLength()),
            "      " + std::string("    0.00") + "        " + " ");
  EXPECT_FALSE(table.GetLogical(3));
  EXPECT_EQ(table.GetDate(2), std::nullopt);
  EXPECT_TRUE(table.FieldChanged(0));
  EXPECT_TRUE(table.FieldChanged(3));
}

TEST_F(FieldLayerTest, BlankRecordFailsForANumericFieldTooNarrowForItsZero) {
  TDbfFieldLayer& table = Open({{"X", 'N', 3, 2}});
  EXPECT_THROW_MSG(table.BlankRecord(), DbfError, "numeric value too big in field X - 0.00");
  // Every new record is refused alike, not only the first.
  EXPECT_THROW_MSG(table.BlankRecord(), DbfError, "numeric value too big in field X - 0.00");
}

TEST_F(FieldLayerTest, EveryBlankRecordIsBlankWhateverTheRecordBeforeHeld) {
  TDbfFieldLayer& table = Open({{"NAME", 'C', 5, 0}, {"QNT", 'N', 8, 2}, {"D", 'D', 8, 0}});
  table.BlankRecord();
  const std::string blank(table.RecordBuffer().data(), table.RecordLength());
  table.PutString(0, "abc", true);
  table.PutNumber(1, 12.5);
  table.PutDate(2, *encode_date(2024, 3, 5));
  table.BlankRecord();
  EXPECT_EQ(std::string(table.RecordBuffer().data(), table.RecordLength()), blank);
  EXPECT_TRUE(table.FieldChanged(0));
  EXPECT_TRUE(table.FieldChanged(2));
}

TEST_F(FieldLayerTest, ReopeningTakesTheBlankRecordOfTheNewDescriptors) {
  TDbfFieldLayer& table = Open({{"QNT", 'N', 6, 2}});
  table.BlankRecord();
  EXPECT_EQ(std::string(table.RecordBuffer().data(), table.RecordLength()), "   0.00");
  table.CloseTable();
  TableSpec spec;
  spec.fields = {{"QNT", 'N', 4, 0}, {"CODE", 'N', 5, 1}};
  write_file(path_, MakeTable(spec));
  table.OpenTable();
  table.BlankRecord();
  EXPECT_EQ(std::string(table.RecordBuffer().data(), table.RecordLength()), "    0  0.0");
}

// 0x30 tables keep B (double), I (int32), Y (currency, 1/10000), T (Julian day
// and milliseconds) and M (block number) as little-endian binary.
TEST_F(FieldLayerTest, VisualFoxBinaryFieldsReadAndBlank) {
  std::string record(8 + 4 + 8 + 8 + 4 + 3, '\0');
  char* p = record.data();
  format::EncodeDouble(p, 2.75);
  format::EncodeFixed32(p + 8, static_cast<uint32_t>(-7));
  format::EncodeFixed64(p + 12, 123456);    // 12.3456
  format::EncodeFixed32(p + 20, 2460375);   // 2024-03-05
  format::EncodeFixed32(p + 24, 43200000);  // noon
  format::EncodeFixed32(p + 28, 9);
  record.replace(32, 3, "abc");
  TDbfFieldLayer& table = Open({{"B", 'B', 8, 0},
                                {"I", 'I', 4, 0},
                                {"Y", 'Y', 8, 4},
                                {"T", 'T', 8, 0},
                                {"M", 'M', 4, 0},
                                {"C", 'C', 3, 0}},
                               record, 0x30);
  EXPECT_DOUBLE_EQ(table.GetNumber(0), 2.75);
  EXPECT_EQ(table.GetInteger(1), -7);
  EXPECT_DOUBLE_EQ(table.GetNumber(2), 12.3456);
  EXPECT_DOUBLE_EQ(table.GetNumber(3), *encode_date(2024, 3, 5) + 0.5);
  EXPECT_EQ(table.GetInteger(4), 9);
  std::string text;
  table.GetString(5, false, text);
  EXPECT_EQ(text, "abc");
  table.PutNumber(3, *encode_date(2024, 3, 5) + 0.5);
  EXPECT_EQ(std::string(table.GetFieldText(3)), record.substr(20, 8));
  table.BlankRecord();
  EXPECT_EQ(std::string(table.RecordBuffer().data() + 1, 32), std::string(32, '\0'));
  EXPECT_EQ(table.GetFieldText(5), "   ");
  EXPECT_THROW_MSG(table.PutNumber(1, 3e9), DbfError,
                   "numeric value too big in field I - 3000000000");
  EXPECT_THROW_MSG(table.PutNumber(3, 1e300), DbfError, "numeric value too big in field T - 1E300");
}

TEST_F(FieldLayerTest, BinaryLettersOutsideVisualFoxTablesAreNotNumbers) {
  TDbfFieldLayer& table = Open({{"I", 'I', 4, 0}});
  EXPECT_THROW_MSG(table.PutNumber(0, 1), DbfError, "Field I is the incorrect type");
}

struct KindCase {
  char type;
  int length;
  int decimals;
  TIntFields large;
  TFieldType kind;
};

class FieldKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(FieldKindTest, DescriptorsBecomeDatasetKinds) {
  const KindCase& c = GetParam();
  TDbfFieldDef field;
  field.type = c.type;
  field.length = static_cast<uint32_t>(c.length);
  field.decimals = static_cast<uint32_t>(c.decimals);
  EXPECT_EQ(DatasetFieldType(field, c.large), c.kind);
}

using enum TFieldType;
using enum TIntFields;
INSTANTIATE_TEST_SUITE_P(
    Kinds, FieldKindTest,
    ::testing::Values(
        KindCase{'C', 300, 0, asInteger, ftString}, KindCase{'N', 8, 2, asLargeInt, ftFloat},
        KindCase{'F', 20, 1, asLargeInt, ftFloat}, KindCase{'N', 4, 0, asLargeInt, ftSmallint},
        KindCase{'N', 5, 0, asLargeInt, ftInteger}, KindCase{'N', 9, 0, asFloat, ftInteger},
        KindCase{'N', 10, 0, asInteger, ftInteger}, KindCase{'N', 10, 0, asLargeInt, ftLargeint},
        KindCase{'F', 18, 0, asFloat, ftFloat}, KindCase{'D', 8, 0, asInteger, ftDate},
        KindCase{'L', 1, 0, asInteger, ftBoolean}, KindCase{'M', 10, 0, asInteger, ftMemo},
        KindCase{'B', 10, 0, asInteger, ftBlob}, KindCase{'G', 10, 0, asInteger, ftBlob},
        KindCase{'I', 4, 0, asInteger, ftInteger}, KindCase{'T', 8, 0, asInteger, ftDateTime},
        KindCase{'Y', 8, 4, asInteger, ftCurrency}, KindCase{'O', 0, 0, asInteger, ftUnknown}));

}  // namespace
}  // namespace pharmex::dbf
