#include "core/date_time.h"

#include <gtest/gtest.h>

#include <limits>

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

// Walks the calendar day by day from a first date, the value of each day
// plus (or, before day 0, minus) a time of day, and compares what the
// decoders make of each value with the walk.
struct DayWalkCase {
  int year, month, day;  // the first date
  int days;
  double time_of_day;
};

class DayWalkTest : public ::testing::TestWithParam<DayWalkCase> {};

TEST_P(DayWalkTest, DecodesEveryDayAsTheCalendarCountsIt) {
  const DayWalkCase& c = GetParam();
  const auto month_length = [](int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
  };
  int year = c.year, month = c.month, day = c.day;
  const double first = *encode_date(year, month, day);
  for (int i = 0; i < c.days; ++i) {
    const double whole = first + i;
    const double value = whole < 0 ? whole - c.time_of_day : whole + c.time_of_day;
    const std::optional<DateParts> date = decode_date(value);
    const std::optional<DateParts> parts = decode_date_time(value);
    if (!date || !parts || date->year != year || date->month != month || date->day != day ||
        parts->year != year || parts->month != month || parts->day != day || date->hour != 0 ||
        date->minute != 0 || encode_date(year, month, day) != whole) {
      ADD_FAILURE() << "value " << value << " is " << year << "-" << month << "-" << day;
      return;
    }
    if (++day > month_length(year, month)) {
      day = 1;
      if (++month > 12) {
        month = 1;
        ++year;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, DayWalkTest,
    ::testing::Values(DayWalkCase{1, 1, 1, 3652059, 0},  // 0001-01-01 .. 9999-12-31
                      DayWalkCase{1, 1, 1, 3652059, 0.75}, DayWalkCase{1, 1, 1, 3652059, 0.9999999},
                      DayWalkCase{1899, 11, 1, 120, 0.5},  // around day 0
                      DayWalkCase{1600, 2, 20, 20, 0.25}, DayWalkCase{1900, 2, 20, 20, 0.25},
                      DayWalkCase{2000, 2, 20, 20, 0.25}, DayWalkCase{2100, 2, 20, 20, 0.25}));

struct BoundCase {
  double value;
  bool ok;
  int year, month, day;
};

class DecodeBoundsTest : public ::testing::TestWithParam<BoundCase> {};

TEST_P(DecodeBoundsTest, TakesTheDaysOfTheYears1To9999) {
  const BoundCase& c = GetParam();
  const std::optional<DateParts> date = decode_date(c.value);
  ASSERT_EQ(date.has_value(), c.ok) << c.value;
  ASSERT_EQ(decode_date_time(c.value).has_value(), c.ok) << c.value;
  if (!c.ok) return;
  EXPECT_EQ(date->year, c.year);
  EXPECT_EQ(date->month, c.month);
  EXPECT_EQ(date->day, c.day);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecodeBoundsTest,
    ::testing::Values(BoundCase{-693593, true, 1, 1, 1}, BoundCase{-693593.999, true, 1, 1, 1},
                      BoundCase{-693594, false, 0, 0, 0}, BoundCase{-693594.5, false, 0, 0, 0},
                      BoundCase{2958465.999, true, 9999, 12, 31},
                      BoundCase{2958466, false, 0, 0, 0}, BoundCase{-0.75, true, 1899, 12, 30},
                      BoundCase{0.75, true, 1899, 12, 30}, BoundCase{-1.25, true, 1899, 12, 29},
                      BoundCase{1e9, false, 0, 0, 0}, BoundCase{-1e18, false, 0, 0, 0},
                      BoundCase{4294967296.0 - 693899, false, 0, 0, 0},
                      BoundCase{std::numeric_limits<double>::quiet_NaN(), false, 0, 0, 0},
                      BoundCase{std::numeric_limits<double>::infinity(), false, 0, 0, 0},
                      BoundCase{-std::numeric_limits<double>::infinity(), false, 0, 0, 0}));

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
