#include "core/date_time.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace pharmex {

namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's algorithm).
int64_t days_from_civil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// The calendar date of a day counted from 1899-12-30, at least 0001-01-01:
// Neri and Schneider's form of the Gregorian calendar ("Euclidean affine
// functions and their application to calendar algorithms", 2022), in
// unsigned 32-bit steps without a division by a variable. The count starts
// on 0000-03-01, so that the leap day closes each year.
void civil_from_days(int32_t days, DateParts& parts) {
  constexpr uint32_t kDaysFromMarch0000 = 693899;  // 0000-03-01 .. 1899-12-30
  const uint32_t n = static_cast<uint32_t>(days + static_cast<int32_t>(kDaysFromMarch0000));
  // Centuries of 36 524 or 36 525 days, and the day in the century.
  const uint32_t n1 = 4 * n + 3;
  const uint32_t century = n1 / 146097;
  const uint32_t day_of_century = n1 % 146097 / 4;
  // Years of 365 or 366 days in the century: 4 / 1461 as a 32-bit fraction.
  const uint64_t p2 = uint64_t{2939745} * (4 * day_of_century + 3);
  const uint32_t year_of_century = static_cast<uint32_t>(p2 >> 32);
  const uint32_t day_of_year = static_cast<uint32_t>(p2) / 2939745 / 4;
  // Months of 31 and 30 days from March, as 153 / 5 days a month.
  const uint32_t n3 = 2141 * day_of_year + 197913;
  const uint32_t month = n3 >> 16;
  const uint32_t day = (n3 & 0xFFFF) / 2141;
  const bool next_year = day_of_year >= 306;  // January and February
  parts.year = static_cast<int>(100 * century + year_of_century + (next_year ? 1 : 0));
  parts.month = static_cast<int>(next_year ? month - 12 : month);
  parts.day = static_cast<int>(day + 1);
}

constexpr int64_t kEpochOffset = 25569;  // 1970-01-01 counted from 1899-12-30

int days_in_month(int year, int month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap_year(year) ? 29 : kDays[month - 1];
}

// The text of a formatted date, collected on the stack: dates are formatted
// once per record by the text layouts, and only a long pattern's text needs
// the heap.
class DateText {
 public:
  void append(std::string_view text) {
    if (spill_.empty() && size_ + text.size() <= sizeof buffer_) {
      std::memcpy(buffer_ + size_, text.data(), text.size());
      size_ += text.size();
      return;
    }
    if (spill_.empty()) spill_.assign(buffer_, size_);
    spill_.append(text);
  }

  std::string str() const { return spill_.empty() ? std::string(buffer_, size_) : spill_; }

 private:
  char buffer_[48];
  size_t size_ = 0;
  std::string spill_;
};

void append_number(DateText& out, int value, int width) {
  char digits[24];
  char* start = digits + 8;  // room for the zeros in front
  const auto [end, ec] = std::to_chars(start, digits + sizeof digits, value);
  (void)ec;
  while (end - start < width)
    *--start = '0';
  out.append(std::string_view(start, static_cast<size_t>(end - start)));
}

// Pattern letters are ASCII; lowered without the C library's locale.
char ascii_lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool is_leap_year(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::optional<double> encode_date(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > days_in_month(year, month)) {
    return std::nullopt;
  }
  return static_cast<double>(
      days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
      kEpochOffset);
}

std::optional<double> encode_time(int hour, int minute, int second, int millisecond) {
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 ||
      millisecond < 0 || millisecond > 999) {
    return std::nullopt;
  }
  return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / 86400000.0;
}

std::optional<DateParts> decode_date(double value) {
  // The day is the value cut toward zero, as the conversion to an integer
  // cuts it: within 0001-01-01 .. 9999-12-31 exactly when the value is
  // within these open bounds (which a NaN is not).
  if (!(value > -693594.0 && value < 2958466.0)) return std::nullopt;
  DateParts parts;
  civil_from_days(static_cast<int32_t>(value), parts);
  return parts;
}

std::optional<DateParts> decode_date_time(double value) {
  std::optional<DateParts> parts = decode_date(value);
  if (!parts) return std::nullopt;
  const double whole = std::trunc(value);
  double ms = std::round(std::fabs(value - whole) * 86400000.0);
  if (ms >= 86400000.0) ms = 86399999.0;
  int64_t total = static_cast<int64_t>(ms);
  parts->millisecond = static_cast<int>(total % 1000);
  total /= 1000;
  parts->second = static_cast<int>(total % 60);
  total /= 60;
  parts->minute = static_cast<int>(total % 60);
  parts->hour = static_cast<int>(total / 60);
  return parts;
}

std::optional<std::string> format_date_time(double value, std::string_view pattern) {
  std::optional<DateParts> parts = decode_date_time(value);
  if (!parts) return std::nullopt;
  DateText out;
  bool after_hour = false;
  size_t i = 0;
  while (i < pattern.size()) {
    char c = pattern[i];
    if (c == '\'' || c == '"') {
      size_t close = pattern.find(c, i + 1);
      if (close == std::string_view::npos) close = pattern.size();
      out.append(pattern.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    char lower = ascii_lower(c);
    size_t run = 1;
    while (i + run < pattern.size() && ascii_lower(pattern[i + run]) == lower)
      ++run;
    const int width = run >= 2 ? 2 : 1;
    switch (lower) {
      case 'd':
        append_number(out, parts->day, width);
        break;
      case 'm':
        if (after_hour) {
          append_number(out, parts->minute, width);
        } else {
          append_number(out, parts->month, width);
        }
        break;
      case 'y':
        if (run >= 3) {
          append_number(out, parts->year, 4);
        } else {
          append_number(out, parts->year % 100, 2);
        }
        break;
      case 'h':
        append_number(out, parts->hour, width);
        break;
      case 'n':
        append_number(out, parts->minute, width);
        break;
      case 's':
        append_number(out, parts->second, width);
        break;
      case 'z':
        append_number(out, parts->millisecond, run >= 3 ? 3 : 1);
        break;
      default:
        out.append(pattern.substr(i, run));
        break;
    }
    if (lower == 'h') {
      after_hour = true;
    } else if (lower == 'm' || lower == 'd' || lower == 'y') {
      after_hour = false;
    }
    i += run;
  }
  return out.str();
}

std::optional<double> parse_date_time(std::string_view text, std::string_view short_date_pattern) {
  // Order of day, month and year as the pattern has them.
  std::string order;
  for (char c : short_date_pattern) {
    char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if ((lower == 'd' || lower == 'm' || lower == 'y') && order.find(lower) == std::string::npos) {
      order.push_back(lower);
    }
  }
  if (order.size() != 3) order = "dmy";

  std::vector<std::pair<int, size_t>> numbers;  // value and digit count
  size_t i = 0;
  while (i < text.size() && text[i] == ' ')
    ++i;
  size_t date_end = text.size();
  while (i < text.size() && numbers.size() < 3) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    int value = 0;
    size_t digits = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && digits < 5) {
      value = value * 10 + (text[i++] - '0');
      ++digits;
    }
    numbers.emplace_back(value, digits);
    if (numbers.size() < 3) {
      if (i >= text.size() || std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == ' ') {
        return std::nullopt;
      }
      ++i;  // the date separator
    }
  }
  if (numbers.size() != 3) return std::nullopt;
  date_end = i;
  int day = 0, month = 0, year = 0;
  for (size_t k = 0; k < 3; ++k) {
    auto [value, digits] = numbers[k];
    if (order[k] == 'd') day = value;
    if (order[k] == 'm') month = value;
    if (order[k] == 'y') {
      if (digits <= 2) value += value < 30 ? 2000 : 1900;
      year = value;
    }
  }
  std::optional<double> date = encode_date(year, month, day);
  if (!date) return std::nullopt;

  std::string_view rest = text.substr(date_end);
  size_t j = 0;
  while (j < rest.size() && rest[j] == ' ')
    ++j;
  if (j == rest.size()) return date;
  int time_parts[3] = {0, 0, 0};
  int count = 0;
  while (j < rest.size() && count < 3) {
    if (!std::isdigit(static_cast<unsigned char>(rest[j]))) return std::nullopt;
    int value = 0;
    size_t digits = 0;
    while (j < rest.size() && std::isdigit(static_cast<unsigned char>(rest[j])) && digits < 3) {
      value = value * 10 + (rest[j++] - '0');
      ++digits;
    }
    time_parts[count++] = value;
    if (j < rest.size() && rest[j] == ':') {
      ++j;
    } else {
      break;
    }
  }
  while (j < rest.size() && rest[j] == ' ')
    ++j;
  if (j != rest.size() || count < 2) return std::nullopt;
  std::optional<double> time = encode_time(time_parts[0], time_parts[1], time_parts[2], 0);
  if (!time) return std::nullopt;
  return *date < 0 ? *date - *time : *date + *time;
}

}  // namespace pharmex
