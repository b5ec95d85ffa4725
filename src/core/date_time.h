// Dates and times as the host and the variant carry them: a double counting
// days since 1899-12-30, the fraction being the time of day. Negative values
// count backwards for the day while the fraction's magnitude is still the
// time (-1.25 is 1899-12-29 06:00).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pharmex {

struct DateParts {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// Days since 1899-12-30 of a calendar date; nothing for a date outside
// 1..9999 or one that does not exist (31 April).
std::optional<double> encode_date(int year, int month, int day);

// Fraction of a day; nothing for an hour, minute, second or millisecond out of range.
std::optional<double> encode_time(int hour, int minute, int second, int millisecond);

// Splits a date-time into its parts; nothing when the day falls outside 1..9999.
std::optional<DateParts> decode_date_time(double value);

// The same parts but the time of day, left at zero.
std::optional<DateParts> decode_date(double value);

// True when a year is a leap year of the Gregorian calendar.
bool is_leap_year(int year);

// Renders a date-time with a pattern of the short/long date and time kinds:
// d dd (day), m mm (month; minutes right after an hour), yy yyyy (year),
// h hh (hour), n nn (minutes), s ss (seconds), z zzz (milliseconds); letters
// are case-insensitive; text in single or double quotes and every other
// character is copied. Nothing when the date is out of range.
std::optional<std::string> format_date_time(double value, std::string_view pattern);

// Reads a date written in the order of a short date pattern (day, month and
// year in the order the pattern has them, separated by any non-digit), with
// one- or two-digit day and month and a two- or four-digit year (two digits:
// 1930..2029), optionally followed by a time "h:mm" or "h:mm:ss". Nothing when
// the text is not such a date.
std::optional<double> parse_date_time(std::string_view text, std::string_view short_date_pattern);

}  // namespace pharmex
