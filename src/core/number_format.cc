#include "core/number_format.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace pharmex {

namespace {

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

DecimalDigits to_decimal_digits(double value, int significant) {
  DecimalDigits result;
  result.negative = std::signbit(value);
  if (value == 0) {
    result.digits = "0";
    result.exponent = 1;
    return result;
  }
  // Scientific form "d.ddddde+XX" with significant-1 digits after the point.
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                 std::chars_format::scientific, significant - 1);
  (void)ec;
  std::string_view text(buffer, static_cast<size_t>(end - buffer));
  size_t e = text.find('e');
  for (char c : text.substr(0, e)) {
    if (c != '.') result.digits.push_back(c);
  }
  while (result.digits.size() > 1 && result.digits.back() == '0')
    result.digits.pop_back();
  int exponent = 0;
  std::from_chars(text.data() + e + (text[e + 1] == '+' ? 2 : 1), text.data() + text.size(),
                  exponent);
  result.exponent = exponent + 1;
  return result;
}

std::string format_general(double value, char decimal_separator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  DecimalDigits d = to_decimal_digits(value, 15);
  std::string out;
  if (d.negative) out.push_back('-');
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent > 15 || std::fabs(value) < 0.00001) {
    out.push_back(d.digits[0]);
    if (n > 1) {
      out.push_back(decimal_separator);
      out.append(d.digits, 1);
    }
    out.push_back('E');
    out.append(std::to_string(d.exponent - 1));
    return out;
  }
  if (d.exponent <= 0) {
    out.push_back('0');
    out.push_back(decimal_separator);
    out.append(static_cast<size_t>(-d.exponent), '0');
    out.append(d.digits);
  } else if (d.exponent >= n) {
    out.append(d.digits);
    out.append(static_cast<size_t>(d.exponent - n), '0');
  } else {
    out.append(d.digits, 0, static_cast<size_t>(d.exponent));
    out.push_back(decimal_separator);
    out.append(d.digits, static_cast<size_t>(d.exponent));
  }
  return out;
}

namespace {

// The general path: the value's digits taken to `significant` digits (on
// its exact binary value), then rounded at the last decimal by hand.
std::string fixed_by_digits(double value, int decimals, char decimal_separator, int significant,
                            bool keep_negative_zero) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  DecimalDigits d = to_decimal_digits(value, significant);
  // Digits of the integer part and of the decimals, before rounding.
  // Position p (0-based) of digit i counts from the first digit; the digit
  // d.digits[i] has weight 10^(exponent-1-i).
  const int keep = d.exponent + decimals;  // digits kept, counted from digits[0]
  std::string kept;                        // the kept digits, possibly with leading zeros
  if (keep > 0) {
    kept = d.digits.substr(0, static_cast<size_t>(std::min<int>(keep, (int)d.digits.size())));
    kept.append(static_cast<size_t>(std::max<int>(0, keep - (int)d.digits.size())), '0');
    bool round_up = keep < (int)d.digits.size() && d.digits[static_cast<size_t>(keep)] >= '5';
    if (round_up) {
      int i = static_cast<int>(kept.size()) - 1;
      while (i >= 0 && kept[static_cast<size_t>(i)] == '9')
        kept[static_cast<size_t>(i--)] = '0';
      if (i < 0) {
        kept.insert(kept.begin(), '1');
      } else {
        ++kept[static_cast<size_t>(i)];
      }
    }
  } else {
    // Every significant digit lies beyond the kept decimals; only a carry from
    // the first one (when it is the very next digit) can survive.
    bool round_up = keep == 0 && d.digits[0] >= '5';
    kept = round_up ? "1" : "0";
  }
  // kept now represents an integer count of 10^-decimals units.
  std::string units = kept;
  size_t first = units.find_first_not_of('0');
  units = first == std::string::npos ? "0" : units.substr(first);
  if (static_cast<int>(units.size()) <= decimals) {
    units.insert(0, static_cast<size_t>(decimals + 1 - static_cast<int>(units.size())), '0');
  }
  std::string out;
  bool is_zero = units.find_first_not_of('0') == std::string::npos;
  if (d.negative && (keep_negative_zero || !is_zero)) out.push_back('-');
  out.append(units, 0, units.size() - static_cast<size_t>(decimals));
  if (decimals > 0) {
    out.push_back(decimal_separator);
    out.append(units, units.size() - static_cast<size_t>(decimals));
  }
  return out;
}

// Powers of ten that a double holds exactly.
constexpr double kPowerOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                  1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr double kTenthPower[] = {1e0,   1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,
                                  1e-7,  1e-8,  1e-9,  1e-10, 1e-11, 1e-12, 1e-13,
                                  1e-14, 1e-15, 1e-16, 1e-17, 1e-18};
constexpr int kMaxScaledDecimals = 15;
// Decimal digits that always make a whole number a double holds exactly.
constexpr size_t kExactDigits = 15;
// Scaled values below this take the fast path: their integer part fits a
// double exactly, with room for a carry.
constexpr double kMaxScaled = 1e15;
// Most values are decided without the product's exact error: one scaled
// below 2^40 is off by less than 2^-14, so a fraction further than a hundredth
// from the half rounds as it reads; its 13 digits and one more are within 15
// significant digits, and the half unit of the 15th is at most 0.005, so the
// general test below would not send it to the digits either.
constexpr double kClearScaled = 1099511627776.0;  // 2^40
constexpr int kClearSignificant = 15;
constexpr double kClearOfHalf = 0.01;

constexpr uint64_t kWholePowerOfTen[] = {1ull,
                                         10ull,
                                         100ull,
                                         1000ull,
                                         10000ull,
                                         100000ull,
                                         1000000ull,
                                         10000000ull,
                                         100000000ull,
                                         1000000000ull,
                                         10000000000ull,
                                         100000000000ull,
                                         1000000000000ull,
                                         10000000000000ull,
                                         100000000000000ull,
                                         1000000000000000ull,
                                         10000000000000000ull,
                                         100000000000000000ull,
                                         1000000000000000000ull,
                                         10000000000000000000ull};

// The decimal digits of `value` (1 for zero), from its binary width: a
// number of b bits has floor(b x log10(2)) or one more digits.
int digit_count(uint64_t value) {
  // Setting the lowest bit changes neither count (powers of ten above 1 are
  // even) and gives zero its one digit.
  const uint64_t odd = value | 1;
  const int bits = std::bit_width(odd);
  const int guess = (bits * 1233) >> 12;  // 1233 / 4096 ~ log10(2)
  return guess + (odd >= kWholePowerOfTen[guess] ? 1 : 0);
}

// The common case without the digits of the general path: |value| x
// 10^decimals rounded half away from zero, decided exactly on the binary value
// (the product and its rounding error from one fused multiply-add hold it
// exactly). Taking the value to `significant` digits first can only change
// the result when the exact product lies just below a midpoint, closer than
// half a unit of its `significant`-th digit; those values, and values too
// large to scale, are left to the general path (false).
bool units_by_scaling(double value, int decimals, int significant, uint64_t& units) {
  if (decimals < 0 || decimals > kMaxScaledDecimals || significant > 18) return false;
  const double magnitude = std::fabs(value);
  const double scale = kPowerOfTen[decimals];
  const double scaled = magnitude * scale;
  if (!(scaled < kMaxScaled)) return false;
  if (scaled < 0.25) {  // far below the first midpoint, whatever the digits
    units = 0;
    return true;
  }
  // The integer part: truncating a positive value below 2^63 is its floor.
  const auto integer = static_cast<uint64_t>(static_cast<int64_t>(scaled));
  const auto whole = static_cast<double>(static_cast<int64_t>(integer));
  const double below_half = (scaled - whole) - 0.5;  // exact for scaled < 2^52
  if (scaled < kClearScaled && significant >= kClearSignificant &&
      std::fabs(below_half) > kClearOfHalf) {
    units = below_half > 0 ? integer + 1 : integer;
    return true;
  }
  const double error = std::fma(magnitude, scale, -scaled);  // exact: scaled + error
  // The midpoint has one digit more than the integer part (at most the digits
  // of integer + 1) and must lie on the grid of `significant` digits, so that
  // rounding to them never carries a value across it.
  const int digits = digit_count(integer + 1);
  if (digits + 1 > significant) return false;
  if (below_half >= -error) {  // the exact fraction is at least one half
    units = integer + 1;
    return true;
  }
  // Below the midpoint: the exact value must stay clear of the half unit of
  // the last significant digit under it. A little more than half a unit: the
  // power of ten is itself rounded.
  const double half_unit = 0.5 * kTenthPower[significant - digits] * 1.001;
  if (-below_half <= half_unit + std::fabs(error)) return false;
  units = integer;
  return true;
}

// The digits of `units` (a count of 10^-decimals) as fixed-point text, at
// least one before the separator, and the text's length with its sign.
struct UnitsText {
  int digits;
  size_t size;
};
UnitsText units_text(uint64_t units, int decimals, bool minus) {
  const int digits = std::max(digit_count(units), decimals + 1);
  return {digits, static_cast<size_t>(digits + (decimals > 0 ? 1 : 0) + (minus ? 1 : 0))};
}

// Writes the last `count` digits of `value` (with leading zeros) so that
// they end just before `end`, and leaves in `value` the digits before them;
// returns where they begin. Divisions are by constants only.
char* write_digits_before(char* end, uint64_t& value, int count) {
  for (; count >= 2; count -= 2) {
    end -= 2;
    write_digit_pair(end, static_cast<unsigned>(value % 100));
    value /= 100;
  }
  if (count == 1) {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return end;
}

// Writes that text so that it ends just before `end`, last digit first.
void write_units_before(char* end, uint64_t units, int decimals, int digits, char decimal_separator,
                        bool minus) {
  char* next = write_digits_before(end, units, decimals);
  if (decimals > 0) *--next = decimal_separator;
  next = write_digits_before(next, units, digits - decimals);
  if (minus) *--next = '-';
}

// Copies `text` to the end of `out` when it fits; its length either way.
size_t place_right(std::span<char> out, std::string_view text) {
  if (text.size() <= out.size()) std::copy(text.begin(), text.end(), out.end() - text.size());
  return text.size();
}

}  // namespace

void format_fixed_into(std::string& out, double value, int decimals, char decimal_separator,
                       int significant, bool keep_negative_zero) {
  out.clear();
  uint64_t units = 0;
  if (!std::isfinite(value) || !units_by_scaling(value, decimals, significant, units)) {
    out = fixed_by_digits(value, decimals, decimal_separator, significant, keep_negative_zero);
    return;
  }
  const bool minus = std::signbit(value) && (keep_negative_zero || units != 0);
  const UnitsText text = units_text(units, decimals, minus);
  out.resize(text.size);
  write_units_before(out.data() + out.size(), units, decimals, text.digits, decimal_separator,
                     minus);
}

size_t format_fixed_right(std::span<char> out, double value, int decimals, char decimal_separator,
                          int significant) {
  uint64_t units = 0;
  if (!std::isfinite(value)) return out.size() + 1;
  if (!units_by_scaling(value, decimals, significant, units)) {
    return place_right(out, fixed_by_digits(value, decimals, decimal_separator, significant, true));
  }
  const bool minus = std::signbit(value);
  const UnitsText text = units_text(units, decimals, minus);
  if (text.size <= out.size()) {
    write_units_before(out.data() + out.size(), units, decimals, text.digits, decimal_separator,
                       minus);
  }
  return text.size;
}

size_t format_whole_right(std::span<char> out, int64_t value, int decimals) {
  const bool minus = value < 0;
  uint64_t magnitude = minus ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  if (magnitude >= 1000000000000000000ull) {  // 19 digits: round the last one away
    const uint64_t last = magnitude % 10;
    magnitude = (magnitude / 10 + (last >= 5 ? 1 : 0)) * 10;
  }
  // The digits of the whole part, then `decimals` zeros: as units of
  // 10^-decimals they could overflow, so the zeros are written apart.
  const UnitsText whole = units_text(magnitude, 0, minus);
  const size_t size = whole.size + (decimals > 0 ? static_cast<size_t>(decimals) + 1 : 0);
  if (size > out.size()) return size;
  char* const end = out.data() + out.size();
  write_units_before(end - (size - whole.size), magnitude, 0, whole.digits, '.', minus);
  if (decimals > 0) {
    *(end - decimals - 1) = '.';
    std::fill(end - decimals, end, '0');
  }
  return size;
}

std::string format_fixed(double value, int decimals, char decimal_separator, int significant,
                         bool keep_negative_zero) {
  std::string out;
  format_fixed_into(out, value, decimals, decimal_separator, significant, keep_negative_zero);
  return out;
}

namespace {

// The usual numeric text of a table field: blanks, an optional sign, at most
// 15 digits with an optional separator among them, blanks. Such a text is a
// whole number divided by a power of ten, both exact in a double, so the
// quotient is the correctly rounded value of the text, as from_chars reads it.
// Nothing for any other text.
std::optional<double> plain_decimal(std::string_view text, char decimal_separator) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && is_blank(text[i]))
    ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint64_t mantissa = 0;
  size_t digits = 0;
  size_t decimals = 0;
  bool separator = false;
  for (; i < n; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
      ++digits;
      if (separator) ++decimals;
    } else if (c == decimal_separator && !separator) {
      separator = true;
    } else {
      break;
    }
  }
  while (i < n && is_blank(text[i]))
    ++i;
  if (i != n || digits == 0 || digits > kExactDigits) return std::nullopt;
  const double value = static_cast<double>(mantissa) / kPowerOfTen[decimals];
  return negative ? -value : value;
}

}  // namespace

std::optional<double> parse_number(std::string_view text, char decimal_separator) {
  if (std::optional<double> value = plain_decimal(text, decimal_separator)) return value;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && is_blank(text[i]))
    ++i;
  size_t end = n;
  while (end > i && is_blank(text[end - 1]))
    --end;
  // Checks the notation; from_chars then reads it. Only a separator other
  // than "." needs a copy (from_chars knows no other).
  const size_t first = i;
  const bool copy = decimal_separator != '.';
  std::string normalized;
  if (copy) normalized.reserve(end - i);
  auto keep = [&](char c) {
    if (copy) normalized.push_back(c);
  };
  if (i < end && (text[i] == '+' || text[i] == '-')) keep(text[i++]);
  size_t digits = 0;
  while (i < end && text[i] >= '0' && text[i] <= '9')
    keep(text[i++]), ++digits;
  if (i < end && text[i] == decimal_separator) {
    keep('.');
    ++i;
    while (i < end && text[i] >= '0' && text[i] <= '9')
      keep(text[i++]), ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < end && (text[i] == 'e' || text[i] == 'E')) {
    keep('e');
    ++i;
    if (i < end && (text[i] == '+' || text[i] == '-')) keep(text[i++]);
    size_t exponent_digits = 0;
    while (i < end && text[i] >= '0' && text[i] <= '9') {
      keep(text[i++]);
      ++exponent_digits;
    }
    if (exponent_digits == 0) return std::nullopt;
  }
  if (i != end) return std::nullopt;
  std::string_view number = copy ? std::string_view(normalized) : text.substr(first, end - first);
  if (number.front() == '+') number.remove_prefix(1);  // from_chars takes no "+"
  double value = 0;
  auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (ec == std::errc::result_out_of_range) {
    // Overflow to infinity or underflow to zero, as strtod would.
    value = std::strtod(std::string(number).c_str(), nullptr);
  } else if (ec != std::errc() || ptr != number.data() + number.size()) {
    return std::nullopt;
  }
  return value;
}

std::optional<int64_t> parse_int64(std::string_view text) {
  size_t i = 0;
  size_t end = text.size();
  while (i < end && is_blank(text[i]))
    ++i;
  while (end > i && is_blank(text[end - 1]))
    --end;
  if (i < end && text[i] == '+') ++i;
  int64_t value = 0;
  auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + end, value);
  if (ec != std::errc() || ptr != text.data() + end || i == end) return std::nullopt;
  return value;
}

double round_half_even(double value) {
  // Written out rather than left to the current floating-point rounding mode.
  double whole = std::floor(value);
  double fraction = value - whole;
  if (fraction > 0.5) return whole + 1;
  if (fraction < 0.5) return whole;
  return std::fmod(whole, 2.0) == 0 ? whole : whole + 1;
}

}  // namespace pharmex
