#include "core/date_time.h"

#include <gtest/gtest.h>

namespace pharmex {
namespace {

TEST(DateTimeTest, CountsDaysFrom1899December30) {
  EXPECT_EQ(encode_date(1899, 12, 30), 0);
  EXPECT_EQ(encode_date(1900, 1, 1), 2);
  EXPECT_EQ(encode_date(2009, 3, 5), 39877);
  EXPECT_EQ(encode_date(1, 1, 1), -693593);
  EXPECT_FALSE(encode_date(2023, 2, 29).has_value());
  EXPECT_TRUE(encode_date(2024, 2, 29).has_value());
  EXPECT_FALSE(encode_date(2024, 4, 31).has_value());
  EXPECT_FALSE(encode_date(10000, 1, 1).has_value());
}

TEST(DateTimeTest, DecodesNegativeValuesWithTheTimeAsMagnitude) {
  auto parts = decode_date_time(-1.25);
  ASSERT_TRUE(parts.has_value());
  EXPECT_EQ(parts->year, 1899);
  EXPECT_EQ(parts->month, 12);
  EXPECT_EQ(parts->day, 29);
  EXPECT_EQ(parts->hour, 6);
}

TEST(DateTimeTest, RoundTripsEveryDayOfALeapYear) {
  double first = *encode_date(2024, 1, 1);
  for (int i = 0; i < 366; ++i) {
    auto parts = decode_date_time(first + i);
    ASSERT_TRUE(parts.has_value());
    EXPECT_EQ(encode_date(parts->year, parts->month, parts->day), first + i);
  }
}

struct FormatCase {
  const char* pattern;
  const char* text;
};

class FormatDateTimeTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatDateTimeTest, FollowsThePattern) {
  double value = *encode_date(2009, 3, 5) + *encode_time(7, 4, 9, 0);
  EXPECT_EQ(format_date_time(value, GetParam().pattern), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FormatDateTimeTest,
    ::testing::Values(FormatCase{"dd.MM.yyyy", "05.03.2009"},
                      FormatCase{"dd.mm.yyyy", "05.03.2009"}, FormatCase{"d/M/yy", "5/3/09"},
                      FormatCase{"yyyy-MM-dd", "2009-03-05"}, FormatCase{"H:mm:ss", "7:04:09"},
                      FormatCase{"hh:nn", "07:04"}, FormatCase{"'day' d", "day 5"},
                      FormatCase{"yyyy.mm.dd hh:nn:ss.zzz 'is a date with a time of day' "
                                 "dd.mm.yyyy",
                                 "2009.03.05 07:04:09.000 is a date with a time of day "
                                 "05.03.2009"},
                      FormatCase{"d.m.y z", "5.3.09 0"}));

struct ParseCase {
  const char* text;
  const char* pattern;
  bool ok;
  int year, month, day, hour, minute;
};

class ParseDateTimeTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseDateTimeTest, ReadsInThePatternsOrder) {
  const ParseCase& c = GetParam();
  auto value = parse_date_time(c.text, c.pattern);
  ASSERT_EQ(value.has_value(), c.ok) << c.text;
  if (!c.ok) return;
  auto parts = decode_date_time(*value);
  EXPECT_EQ(parts->year, c.year);
  EXPECT_EQ(parts->month, c.month);
  EXPECT_EQ(parts->day, c.day);
  EXPECT_EQ(parts->hour, c.hour);
  EXPECT_EQ(parts->minute, c.minute);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseDateTimeTest,
    ::testing::Values(ParseCase{"05.03.2009", "dd.MM.yyyy", true, 2009, 3, 5, 0, 0},
                      ParseCase{"5.3.09", "dd.MM.yyyy", true, 2009, 3, 5, 0, 0},
                      ParseCase{"3/5/2009", "M/d/yyyy", true, 2009, 3, 5, 0, 0},
                      ParseCase{"2009-03-05", "yyyy-MM-dd", true, 2009, 3, 5, 0, 0},
                      ParseCase{"05.03.2009 13:45", "dd.MM.yyyy", true, 2009, 3, 5, 13, 45},
                      ParseCase{"31.04.2009", "dd.MM.yyyy", false, 0, 0, 0, 0, 0},
                      ParseCase{"05.03", "dd.MM.yyyy", false, 0, 0, 0, 0, 0},
                      ParseCase{"A-17", "dd.MM.yyyy", false, 0, 0, 0, 0, 0},
                      ParseCase{"05.03.2009 25:00", "dd.MM.yyyy", false, 0, 0, 0, 0, 0}));

}  // namespace
}  // namespace pharmex
