#include "memhost/csv_value.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/date_time.h"
#include "memhost/column.h"
#include "platform/text_codec.h"

namespace pharmex::memhost {

namespace {

using Kind = Variant::Kind;

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool all_digits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!is_digit(c)) return false;
  }
  return true;
}

std::optional<int64_t> parse_whole(std::string_view text, int64_t low, int64_t high) {
  bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  if (!all_digits(text)) return std::nullopt;
  uint64_t magnitude = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  // Compare magnitudes as unsigned so that the lowest Int64 reads.
  if (negative) {
    uint64_t limit = low >= 0 ? 0 : static_cast<uint64_t>(-(low + 1)) + 1;
    if (magnitude > limit) return std::nullopt;
    return magnitude == 0 ? 0 : -static_cast<int64_t>(magnitude - 1) - 1;
  }
  if (magnitude > static_cast<uint64_t>(high)) return std::nullopt;
  return static_cast<int64_t>(magnitude);
}

std::optional<double> parse_real(std::string_view text) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  double value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// [-]digits[.1 to 4 digits], exactly, in units of 1/10000.
std::optional<int64_t> parse_currency(std::string_view text) {
  size_t dot = text.find('.');
  std::string_view fraction = dot == text.npos ? std::string_view() : text.substr(dot + 1);
  if (dot != text.npos && (fraction.size() > 4 || !all_digits(fraction))) return std::nullopt;
  std::string_view whole_text = text.substr(0, dot);
  bool negative = !whole_text.empty() && whole_text.front() == '-';
  std::optional<int64_t> whole = parse_whole(whole_text, std::numeric_limits<int64_t>::min(),
                                             std::numeric_limits<int64_t>::max());
  if (!whole) return std::nullopt;
  int64_t units = 0;
  std::string scaled(fraction);
  scaled.append(4 - scaled.size(), '0');
  int64_t fraction_units = std::stoll(scaled);
  if (__builtin_mul_overflow(*whole, int64_t{10000}, &units)) return std::nullopt;
  if (negative ? __builtin_sub_overflow(units, fraction_units, &units)
               : __builtin_add_overflow(units, fraction_units, &units)) {
    return std::nullopt;
  }
  return units;
}

std::optional<bool> parse_boolean(std::string_view text) {
  std::string lower;
  for (char c : text)
    lower.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
  if (lower == "true" || lower == "1") return true;
  if (lower == "false" || lower == "0") return false;
  return std::nullopt;
}

// Exactly `count` digits at `at`.
std::optional<int> digits_at(std::string_view text, size_t at, size_t count) {
  if (at + count > text.size() || !all_digits(text.substr(at, count))) return std::nullopt;
  int value = 0;
  for (size_t i = at; i < at + count; ++i)
    value = value * 10 + (text[i] - '0');
  return value;
}

// hh:mm, hh:mm:ss or hh:mm:ss.zzz, as a fraction of a day.
std::optional<double> parse_time(std::string_view text) {
  if (text.size() != 5 && text.size() != 8 && text.size() != 12) return std::nullopt;
  auto hour = digits_at(text, 0, 2);
  auto minute = digits_at(text, 3, 2);
  if (!hour || !minute || text[2] != ':') return std::nullopt;
  int second = 0;
  int millisecond = 0;
  if (text.size() >= 8) {
    auto s = digits_at(text, 6, 2);
    if (!s || text[5] != ':') return std::nullopt;
    second = *s;
  }
  if (text.size() == 12) {
    auto ms = digits_at(text, 9, 3);
    if (!ms || text[8] != '.') return std::nullopt;
    millisecond = *ms;
  }
  return encode_time(*hour, *minute, second, millisecond);
}

std::optional<double> parse_date(std::string_view text) {
  if (text.size() < 10 || text[4] != '-') return parse_time(text);
  auto year = digits_at(text, 0, 4);
  auto month = digits_at(text, 5, 2);
  auto day = digits_at(text, 8, 2);
  if (!year || !month || !day || text[7] != '-') return std::nullopt;
  std::optional<double> date = encode_date(*year, *month, *day);
  if (!date || text.size() == 10) return date;
  if (text[10] != ' ' && text[10] != 'T') return std::nullopt;
  std::optional<double> time = parse_time(text.substr(11));
  if (!time) return std::nullopt;
  // Before 1899-12-30 the day counts down while the time still counts up.
  return *date < 0 ? *date - *time : *date + *time;
}

std::string two_digits(int value) {
  return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string format_time(const DateParts& parts) {
  std::string text =
      two_digits(parts.hour) + ":" + two_digits(parts.minute) + ":" + two_digits(parts.second);
  if (parts.millisecond != 0) {
    text += "." + two_digits(parts.millisecond / 10) + std::to_string(parts.millisecond % 10);
  }
  return text;
}

std::optional<std::string> format_date(double value, TFieldType type) {
  std::optional<DateParts> parts = decode_date_time(value);
  if (!parts) return std::nullopt;
  if (type == ftTime && std::trunc(value) == 0) return format_time(*parts);
  std::string year = std::to_string(parts->year);
  std::string text = std::string(4 - year.size(), '0') + year + "-" + two_digits(parts->month) +
                     "-" + two_digits(parts->day);
  bool has_time =
      parts->hour != 0 || parts->minute != 0 || parts->second != 0 || parts->millisecond != 0;
  if (has_time) text += " " + format_time(*parts);
  return text;
}

std::string format_currency(int64_t units) {
  uint64_t magnitude = units < 0 ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
  std::string text = (units < 0 ? "-" : "") + std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(magnitude % 10000);
  fraction.insert(0, 4 - fraction.size(), '0');
  while (!fraction.empty() && fraction.back() == '0')
    fraction.pop_back();
  if (!fraction.empty()) text += "." + fraction;
  return text;
}

std::string format_real(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

}  // namespace

std::optional<Variant> parse_csv_value(std::string_view text, TFieldType type) {
  switch (column_kind(type)) {
    case Kind::String:
      return Variant::string(platform::utf8_to_utf16(text));
    case Kind::SmallInt:
      if (auto value = parse_whole(text, std::numeric_limits<int16_t>::min(),
                                   std::numeric_limits<int16_t>::max())) {
        return Variant::small_int(static_cast<int16_t>(*value));
      }
      return std::nullopt;
    case Kind::Integer: {
      int64_t low = type == ftWord ? 0 : std::numeric_limits<int32_t>::min();
      int64_t high = type == ftWord ? 65535 : std::numeric_limits<int32_t>::max();
      if (auto value = parse_whole(text, low, high)) {
        return Variant::integer(static_cast<int32_t>(*value));
      }
      return std::nullopt;
    }
    case Kind::Int64:
      if (auto value = parse_whole(text, std::numeric_limits<int64_t>::min(),
                                   std::numeric_limits<int64_t>::max())) {
        return Variant::int64(*value);
      }
      return std::nullopt;
    case Kind::Double:
      if (auto value = parse_real(text)) return Variant::real(*value);
      return std::nullopt;
    case Kind::Currency:
      if (auto units = parse_currency(text)) return Variant::currency_units(*units);
      return std::nullopt;
    case Kind::Boolean:
      if (auto value = parse_boolean(text)) return Variant::boolean(*value);
      return std::nullopt;
    case Kind::Date:
      if (auto value = parse_date(text)) return Variant::date(*value);
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

std::optional<std::string> format_csv_value(const Variant& value, TFieldType type) {
  Kind kind = column_kind(type);
  if (kind == Kind::Empty || value.kind() != kind) return std::nullopt;
  switch (kind) {
    case Kind::String:
      return platform::utf16_to_utf8(value.string_value());
    case Kind::SmallInt:
    case Kind::Integer:
    case Kind::Int64:
      return std::to_string(value.whole_value());
    case Kind::Double:
      return format_real(value.double_value());
    case Kind::Currency:
      return format_currency(value.whole_value());
    case Kind::Boolean:
      return value.boolean_value() ? "true" : "false";
    case Kind::Date:
      return format_date(value.double_value(), type);
    default:
      return std::nullopt;
  }
}

}  // namespace pharmex::memhost
