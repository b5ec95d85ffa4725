#include "core/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace pharmex {
namespace {

struct GeneralCase {
  double value;
  const char* text;
};

class FormatGeneralTest : public ::testing::TestWithParam<GeneralCase> {};

TEST_P(FormatGeneralTest, RendersUpTo15SignificantDigits) {
  EXPECT_EQ(format_general(GetParam().value, ','), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Table, FormatGeneralTest,
                         ::testing::Values(GeneralCase{0, "0"}, GeneralCase{-0.0, "0"},
                                           GeneralCase{17, "17"}, GeneralCase{12.5, "12,5"},
                                           GeneralCase{-0.5, "-0,5"}, GeneralCase{0.1 + 0.2, "0,3"},
                                           GeneralCase{1.0 / 3, "0,333333333333333"},
                                           GeneralCase{123456789012345.0, "123456789012345"},
                                           GeneralCase{1234567890123456.0, "1,23456789012346E15"},
                                           GeneralCase{1e20, "1E20"},
                                           GeneralCase{0.00001, "0,00001"},
                                           GeneralCase{0.000001, "1E-6"},
                                           GeneralCase{1.5e-7, "1,5E-7"}, GeneralCase{100, "100"},
                                           GeneralCase{9.0909090909090909, "9,09090909090909"}));

struct FixedCase {
  double value;
  int decimals;
  int significant;
  const char* text;
};

class FormatFixedTest : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FormatFixedTest, RoundsHalvesAwayFromZeroAfterTakingSignificantDigits) {
  const FixedCase& c = GetParam();
  EXPECT_EQ(format_fixed(c.value, c.decimals, '.', c.significant), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatFixedTest,
    ::testing::Values(FixedCase{5, 2, 18, "5.00"}, FixedCase{-0.5, 2, 18, "-0.50"},
                      FixedCase{0.125, 2, 18, "0.13"}, FixedCase{0.001, 2, 18, "0.00"},
                      FixedCase{-0.001, 2, 18, "-0.00"}, FixedCase{999, 0, 18, "999"},
                      FixedCase{0.5, 0, 18, "1"}, FixedCase{-0.5, 0, 18, "-1"},
                      FixedCase{9.995, 2, 15, "10.00"}, FixedCase{99.5, 0, 18, "100"},
                      FixedCase{0.05, 1, 18, "0.1"}, FixedCase{0.04, 0, 18, "0"},
                      FixedCase{12345678901234567.0, 0, 18, "12345678901234568"},
                      FixedCase{1234567890123456768.0, 0, 18, "1234567890123456770"},
                      FixedCase{150, 4, 15, "150.0000"}, FixedCase{13.63636, 4, 15, "13.6364"},
                      FixedCase{0, 5, 18, "0.00000"}, FixedCase{-0.0, 2, 18, "-0.00"}));

TEST(FormatFixedTest, DropsTheSignOfAZeroResultWhenAsked) {
  EXPECT_EQ(format_fixed(-0.001, 2, '.', 15, false), "0.00");
  EXPECT_EQ(format_fixed(-0.5, 2, '.', 15, false), "-0.50");
}

struct ParseCase {
  const char* text;
  char separator;
  bool ok;
  double value;
};

class ParseNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumberTest, AcceptsOnlyTheLocaleIndependentNotation) {
  const ParseCase& c = GetParam();
  std::optional<double> value = parse_number(c.text, c.separator);
  ASSERT_EQ(value.has_value(), c.ok) << c.text;
  if (c.ok) {
    EXPECT_DOUBLE_EQ(*value, c.value);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseNumberTest,
    ::testing::Values(ParseCase{"12.5", '.', true, 12.5}, ParseCase{"  -3 ", '.', true, -3},
                      ParseCase{"+7.", '.', true, 7}, ParseCase{".5", '.', true, 0.5},
                      ParseCase{"1e3", '.', true, 1000}, ParseCase{"2.5E-2", '.', true, 0.025},
                      ParseCase{"12,5", '.', false, 0}, ParseCase{"12,5", ',', true, 12.5},
                      ParseCase{"", '.', false, 0}, ParseCase{"   ", '.', false, 0},
                      ParseCase{"-", '.', false, 0}, ParseCase{"1e", '.', false, 0},
                      ParseCase{"1 2", '.', false, 0}, ParseCase{"0x10", '.', false, 0},
                      ParseCase{"A-17", '.', false, 0}));

// The value of a table's numeric text must be the double nearest to it, to
// the last bit, whichever way the text is read.
TEST(ParseNumberTest, ReadsEveryDecimalTextToTheNearestDouble) {
  std::mt19937_64 random(3);
  std::uniform_int_distribution<int> length(1, 19);
  std::uniform_int_distribution<int> digit(0, 9);
  for (int i = 0; i < 20000; ++i) {
    std::string text = i % 3 == 0 ? "-" : "";
    const int digits = length(random);
    const int point = std::uniform_int_distribution<int>(0, digits)(random);
    for (int d = 0; d < digits; ++d) {
      if (d == point && d > 0) text.push_back('.');
      text.push_back(static_cast<char>('0' + digit(random)));
    }
    const std::optional<double> value = parse_number("  " + text, '.');
    ASSERT_TRUE(value.has_value()) << text;
    const double expected = std::strtod(text.c_str(), nullptr);
    EXPECT_EQ(std::memcmp(&*value, &expected, sizeof expected), 0)
        << text << " read as " << *value << ", not " << expected;
  }
}

TEST(ParseNumberTest, KeepsTheSignOfZero) {
  EXPECT_TRUE(std::signbit(*parse_number("-0.00", '.')));
  EXPECT_FALSE(std::signbit(*parse_number("0.00", '.')));
  EXPECT_TRUE(std::signbit(*parse_number("-0,0", ',')));
}

TEST(ParseInt64Test, ReadsWholeNumbersOnly) {
  EXPECT_EQ(parse_int64(" 1001 "), 1001);
  EXPECT_EQ(parse_int64("-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_FALSE(parse_int64("9223372036854775808").has_value());
  EXPECT_FALSE(parse_int64("12.5").has_value());
  EXPECT_FALSE(parse_int64("").has_value());
}

TEST(RoundHalfEvenTest, RoundsExactHalvesToTheEvenNeighbour) {
  EXPECT_EQ(round_half_even(2.5), 2);
  EXPECT_EQ(round_half_even(3.5), 4);
  EXPECT_EQ(round_half_even(-2.5), -2);
  EXPECT_EQ(round_half_even(-3.5), -4);
  EXPECT_EQ(round_half_even(2.4999999), 2);
  EXPECT_EQ(round_half_even(-0.6), -1);
}

}  // namespace
}  // namespace pharmex
