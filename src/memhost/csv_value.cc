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
  if (text.empty()) return std::nullopt;
  uint64_t magnitude = 0;
  for (char c : text) {
    if (!is_digit(c) || __builtin_mul_overflow(magnitude, uint64_t{10}, &magnitude) ||
        __builtin_add_overflow(magnitude, static_cast<uint64_t>(c - '0'), &magnitude)) {
      return std::nullopt;
    }
  }
  // Compare magnitudes as unsigned so that the lowest Int64 reads.
  if (negative) {
    uint64_t limit = low >= 0 ? 0 : static_cast<uint64_t>(-(low + 1)) + 1;
    if (magnitude > limit) return std::nullopt;
    return magnitude == 0 ? 0 : -static_cast<int64_t>(magnitude - 1) - 1;
  }
  if (magnitude > static_cast<uint64_t>(high)) return std::nullopt;
  return static_cast<int64_t>(magnitude);
}

// The usual number of a price list: an optional "-", at most 15 digits with
// an optional "." between two of them. Such a text is a whole number divided
// by a power of ten, both exact in a double, so the quotient is the correctly
// rounded value of the text, as from_chars reads it. Nothing for any other.
std::optional<double> plain_decimal(std::string_view text) {
  static constexpr double kPowerOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  constexpr size_t kExactDigits = 15;
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  uint64_t mantissa = 0;
  size_t dot = text.npos;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (is_digit(c)) {
      mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
    } else if (c == '.' && dot == text.npos) {
      dot = i;
    } else {
      return std::nullopt;
    }
  }
  const size_t digits = text.size() - (dot != text.npos ? 1 : 0);
  // A digit on each side of the point: from_chars reads "5." and ".5" too,
  // but those go its way.
  if (digits == 0 || digits > kExactDigits || dot == 0 ||
      (dot != text.npos && dot + 1 == text.size())) {
    return std::nullopt;
  }
  const size_t decimals = dot == text.npos ? 0 : text.size() - dot - 1;
  const double value = static_cast<double>(mantissa) / kPowerOfTen[decimals];
  return negative ? -value : value;
}

std::optional<double> parse_real(std::string_view text) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return std::nullopt;
  }
  if (std::optional<double> value = plain_decimal(text)) return value;
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
  int64_t fraction_units = 0;
  for (size_t i = 0; i < 4; ++i)
    fraction_units = fraction_units * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
  if (__builtin_mul_overflow(*whole, int64_t{10000}, &units)) return std::nullopt;
  if (negative ? __builtin_sub_overflow(units, fraction_units, &units)
               : __builtin_add_overflow(units, fraction_units, &units)) {
    return std::nullopt;
  }
  return units;
}

// `text` is `word` (in lower case) in any case.
bool is_word(std::string_view text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != word[i]) return false;
  }
  return true;
}

std::optional<bool> parse_boolean(std::string_view text) {
  if (is_word(text, "true") || text == "1") return true;
  if (is_word(text, "false") || text == "0") return false;
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

Variant CsvScalar::to_variant() const {
  switch (kind) {
    case Kind::SmallInt:
      return Variant::small_int(static_cast<int16_t>(whole));
    case Kind::Integer:
      return Variant::integer(static_cast<int32_t>(whole));
    case Kind::Int64:
      return Variant::int64(whole);
    case Kind::Double:
      return Variant::real(real);
    case Kind::Currency:
      return Variant::currency_units(whole);
    case Kind::Boolean:
      return Variant::boolean(whole != 0);
    case Kind::Date:
      return Variant::date(real);
    default:
      return Variant::null();
  }
}

std::optional<CsvScalar> parse_csv_scalar(std::string_view text, TFieldType type) {
  const Kind kind = column_kind(type);
  std::optional<int64_t> whole;
  std::optional<double> real;
  switch (kind) {
    case Kind::SmallInt:
      whole = parse_whole(text, std::numeric_limits<int16_t>::min(),
                          std::numeric_limits<int16_t>::max());
      break;
    case Kind::Integer:
      whole = type == ftWord ? parse_whole(text, 0, 65535)
                             : parse_whole(text, std::numeric_limits<int32_t>::min(),
                                           std::numeric_limits<int32_t>::max());
      break;
    case Kind::Int64:
      whole = parse_whole(text, std::numeric_limits<int64_t>::min(),
                          std::numeric_limits<int64_t>::max());
      break;
    case Kind::Double:
      real = parse_real(text);
      break;
    case Kind::Currency:
      whole = parse_currency(text);
      break;
    case Kind::Boolean:
      if (std::optional<bool> value = parse_boolean(text)) whole = *value ? 1 : 0;
      break;
    case Kind::Date:
      real = parse_date(text);
      break;
    default:
      break;
  }
  if (whole) return CsvScalar{kind, *whole, 0};
  if (real) return CsvScalar{kind, 0, *real};
  return std::nullopt;
}

std::optional<Variant> parse_csv_value(std::string_view text, TFieldType type) {
  if (column_kind(type) == Kind::String) return Variant::string(platform::utf8_to_utf16(text));
  if (std::optional<CsvScalar> scalar = parse_csv_scalar(text, type)) return scalar->to_variant();
  return std::nullopt;
}

bool is_valid_csv_value(std::string_view text, TFieldType type) {
  return column_kind(type) == Kind::String || parse_csv_scalar(text, type).has_value();
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
