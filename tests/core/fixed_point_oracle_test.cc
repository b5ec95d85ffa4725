// format_fixed (and format_fixed_right, which writes the same text into a
// field) against an oracle that works on the exact decimal expansion of
// a double (big-number arithmetic, no floating point at all): the value taken
// to `significant` digits, halves to even, then rounded at the last decimal,
// halves away from zero. Random values of every size the exports meet, and
// values placed on and around the midpoints where a fast path could go wrong.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/number_format.h"

namespace pharmex {
namespace {

// value = 0.digits x 10^point (digits without leading zeros; "" for zero).
struct ExactDecimal {
  bool negative = false;
  std::string digits;
  int point = 0;
};

// Base 10^9 limbs, least significant first.
using Limbs = std::vector<uint32_t>;

void multiply(Limbs& number, uint32_t factor) {
  uint64_t carry = 0;
  for (uint32_t& limb : number) {
    const uint64_t product = uint64_t{limb} * factor + carry;
    limb = static_cast<uint32_t>(product % 1000000000);
    carry = product / 1000000000;
  }
  if (carry > 0) number.push_back(static_cast<uint32_t>(carry));
}

std::string decimal(const Limbs& number) {
  std::string text = std::to_string(number.back());
  for (size_t i = number.size() - 1; i-- > 0;) {
    std::string limb = std::to_string(number[i]);
    text.append(9 - limb.size(), '0').append(limb);
  }
  return text;
}

ExactDecimal exact_decimal(double value) {
  ExactDecimal exact;
  exact.negative = std::signbit(value);
  if (value == 0) return exact;
  int exponent = 0;
  const double fraction = std::frexp(std::fabs(value), &exponent);
  auto mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
  exponent -= 53;  // |value| = mantissa x 2^exponent
  Limbs number = {static_cast<uint32_t>(mantissa % 1000000000),
                  static_cast<uint32_t>(mantissa / 1000000000 % 1000000000),
                  static_cast<uint32_t>(mantissa / 1000000000000000000)};
  while (number.size() > 1 && number.back() == 0)
    number.pop_back();
  int scale = 0;  // |value| = number x 10^scale
  for (; exponent > 0; --exponent)
    multiply(number, 2);
  for (; exponent < 0; ++exponent, --scale)
    multiply(number, 5);  // x 2^-1 = x 5 / 10
  std::string digits = decimal(number);
  exact.point = static_cast<int>(digits.size()) + scale;
  while (!digits.empty() && digits.back() == '0')
    digits.pop_back();
  exact.digits = digits;
  return exact;
}

// Adds one unit at the last digit of `digits` (which may grow by a digit).
void increment(std::string& digits, int& point) {
  int i = static_cast<int>(digits.size()) - 1;
  while (i >= 0 && digits[static_cast<size_t>(i)] == '9')
    digits[static_cast<size_t>(i--)] = '0';
  if (i < 0) {
    digits.insert(digits.begin(), '1');
    ++point;
  } else {
    ++digits[static_cast<size_t>(i)];
  }
}

std::string oracle(double value, int decimals, int significant) {
  ExactDecimal x = exact_decimal(value);
  // To `significant` digits, halves to even.
  if (static_cast<int>(x.digits.size()) > significant) {
    const std::string rest = x.digits.substr(static_cast<size_t>(significant));
    x.digits.resize(static_cast<size_t>(significant));
    const bool above_half =
        rest[0] > '5' || (rest[0] == '5' && rest.find_first_not_of('0', 1) != std::string::npos);
    const bool tie = rest[0] == '5' && !above_half;
    if (above_half || (tie && (x.digits.back() - '0') % 2 == 1)) increment(x.digits, x.point);
  }
  // Units of 10^-decimals, halves away from zero.
  const int kept = x.point + decimals;  // digits before the rounding position
  std::string units;
  if (kept <= 0) {
    const bool up = kept == 0 && !x.digits.empty() && x.digits[0] >= '5';
    units = up ? "1" : "0";
  } else {
    units = x.digits.substr(0, std::min<size_t>(x.digits.size(), static_cast<size_t>(kept)));
    units.append(static_cast<size_t>(kept) - units.size(), '0');
    int ignored = 0;
    if (static_cast<size_t>(kept) < x.digits.size() && x.digits[static_cast<size_t>(kept)] >= '5')
      increment(units, ignored);
  }
  units.erase(0, std::min(units.find_first_not_of('0'), units.size() - 1));
  if (static_cast<int>(units.size()) <= decimals)
    units.insert(0, static_cast<size_t>(decimals + 1) - units.size(), '0');
  std::string text = x.negative ? "-" : "";
  text.append(units, 0, units.size() - static_cast<size_t>(decimals));
  if (decimals > 0) text.append(".").append(units, units.size() - static_cast<size_t>(decimals));
  return text;
}

// The text a field of `width` bytes gets from format_fixed_right: the text
// right-aligned after the bytes it leaves alone ('#'), or "#...#" when it
// does not fit.
std::string in_field(double value, int decimals, int significant, size_t width) {
  std::string field(width, '#');
  const size_t size = format_fixed_right(field, value, decimals, '.', significant);
  return size <= width ? field : field + "(" + std::to_string(size) + ")";
}

void expect_oracle(double value, int decimals, int significant) {
  const std::string expected = oracle(value, decimals, significant);
  EXPECT_EQ(format_fixed(value, decimals, '.', significant), expected)
      << "value " << std::hexfloat << value << std::defaultfloat << " (" << value << "), "
      << decimals << " decimals, " << significant << " significant digits";
  // Written into a field: where it just fits, with room to spare, and in one
  // byte too few, where nothing may be written.
  const size_t size = expected.size();
  EXPECT_EQ(in_field(value, decimals, significant, size), expected) << value;
  EXPECT_EQ(in_field(value, decimals, significant, size + 3), "###" + expected) << value;
  EXPECT_EQ(in_field(value, decimals, significant, size - 1),
            std::string(size - 1, '#') + "(" + std::to_string(size) + ")")
      << value;
}

TEST(FixedPointOracleTest, TheOracleAgreesWithTheKnownCases) {
  EXPECT_EQ(oracle(0.125, 2, 18), "0.13");
  EXPECT_EQ(oracle(9.995, 2, 15), "10.00");
  EXPECT_EQ(oracle(-0.001, 2, 18), "-0.00");
  EXPECT_EQ(oracle(1234567890123456768.0, 0, 18), "1234567890123456770");
  EXPECT_EQ(oracle(0.285, 2, 18), "0.28");
  EXPECT_EQ(oracle(0, 3, 18), "0.000");
}

TEST(FixedPointOracleTest, RandomValuesOfEveryMagnitude) {
  std::mt19937_64 random(20240511);
  std::uniform_real_distribution<double> mantissa(1.0, 10.0);
  std::uniform_int_distribution<int> exponent(-8, 17);
  std::uniform_int_distribution<int> decimals(0, 6);
  for (int i = 0; i < 20000; ++i) {
    const double value = mantissa(random) * std::pow(10.0, exponent(random));
    const int d = decimals(random);
    expect_oracle(i % 2 == 0 ? value : -value, d, 18);
    expect_oracle(value, d, 15);
  }
}

TEST(FixedPointOracleTest, ValuesOnAndAroundTheMidpoints) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<int64_t> whole(0, 99999999);
  for (int d = 0; d <= 6; ++d) {
    for (int i = 0; i < 2000; ++i) {
      // (n + 0.5) units of 10^-d, as near as a double gets, and its neighbours.
      const double midpoint = (static_cast<double>(whole(random)) + 0.5) / std::pow(10.0, d);
      double value = midpoint;
      for (int step = 0; step < 3; ++step)
        value = std::nextafter(value, 0.0);
      for (int step = 0; step < 7; ++step) {
        expect_oracle(value, d, 18);
        expect_oracle(-value, d, 15);
        value = std::nextafter(value, 1e300);
      }
    }
  }
}

TEST(FixedPointOracleTest, ComputedPricesAndTotals) {
  // Quotients and products like the exports' (price without VAT, amounts).
  for (int cents = 1; cents < 20000; ++cents) {
    const double price = cents / 100.0;
    for (double rate : {10.0, 18.0, 20.0}) {
      expect_oracle(price / (1 + rate / 100), 2, 18);
      expect_oracle(price - price / (1 + rate / 100), 2, 18);
      expect_oracle(price * 3 * (rate / 100), 4, 15);
    }
  }
}

TEST(FixedPointOracleTest, WholeNumbersNearTheLimitOfTheFastWay) {
  for (double value : {999999999999999.0, 1e15, 1e15 + 2, 9007199254740991.0, 9007199254740992.0,
                       123456789012345.5, 99999999999999.95, 4503599627370495.5,
                       // A hundredth on either side of the half, at the limit
                       // of the values decided without the exact error (2^40).
                       1099511627775.49, 1099511627775.51, 1099511627776.49, 1099511627776.51,
                       10995116277.7549, 10995116277.7551, 12.3449, 12.3451, 0.0049, 0.0051}) {
    for (int d = 0; d <= 4; ++d) {
      expect_oracle(value, d, 18);
      expect_oracle(value, d, 15);
    }
  }
}

}  // namespace
}  // namespace pharmex
