// Numbers as text, independent of the C library's locale: the decimal
// separator is always an argument. These are the building blocks of the
// variant's text rendering, the table engine's fixed-point fields and the
// partner text files, which must write "." whatever the user's settings.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pharmex {

// A finite double as decimal digits: value = 0.d1d2d3... x 10^exponent.
// `digits` holds no leading zeros (it is "0" with exponent 1 for zero).
struct DecimalDigits {
  bool negative = false;  // the sign bit, so -0.0 is negative
  std::string digits;
  int exponent = 0;
};

// The value rounded (halves to even, on its exact binary value) to at most
// `significant` digits, trailing zeros removed. `significant` is 1..18 (the
// table engine takes numbers to 18 significant digits).
DecimalDigits to_decimal_digits(double value, int significant);

// General format: at most 15 significant digits, no trailing zeros, no decimal
// separator for a whole number; plain notation while the integer part has at
// most 15 digits and the value is at least 0.00001, otherwise scientific
// ("1.5E20", "1E-7"). Zero is "0". Infinities and NaN render as "INF", "-INF"
// and "NAN".
std::string format_general(double value, char decimal_separator);

// Fixed-point text with exactly `decimals` decimals (no separator when 0) and a
// leading "0" before the separator: the value is first taken to `significant`
// digits, then rounded at the last decimal with halves away from zero. The sign
// is written when the value's sign bit is set, even when the text shows zero,
// unless `keep_negative_zero` is false.
std::string format_fixed(double value, int decimals, char decimal_separator, int significant,
                         bool keep_negative_zero = true);
// The same text into `out` (its contents replaced), for callers that format
// many numbers and keep one buffer.
void format_fixed_into(std::string& out, double value, int decimals, char decimal_separator,
                       int significant, bool keep_negative_zero = true);

// format_fixed's text (negative zero kept) written at the end of `out`, for
// a caller that places it right-aligned in a field of fixed width: returns
// the text's length and writes nothing else. When the text is longer than
// `out` (or the value is not finite), nothing is written at all and the
// caller reports the value with format_fixed.
size_t format_fixed_right(std::span<char> out, double value, int decimals, char decimal_separator,
                          int significant);

// A whole number with `decimals` zero decimals ("-12.00"), written at the end
// of `out` as format_fixed_right writes; beyond 18 digits the last one is
// rounded, halves away from zero (a double holds no more).
size_t format_whole_right(std::span<char> out, int64_t value, int decimals);

// Writes the two decimal digits of `value` (0 to 99) at `out`: numbers and
// dates are written two digits at a time, one division for both.
inline void write_digit_pair(char* out, unsigned value) {
  static constexpr char kPairs[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  std::memcpy(out, kPairs + 2 * value, 2);
}

// Reads a number written as: optional blanks, optional sign, digits, optional
// separator and digits, optional exponent (E or e, optional sign, digits),
// optional blanks. At least one digit is required. Returns nothing for
// anything else.
std::optional<double> parse_number(std::string_view text, char decimal_separator);

// Whole numbers only: optional blanks and sign, digits, optional blanks.
std::optional<int64_t> parse_int64(std::string_view text);

// Rounds to the nearest whole number, an exact half to the even neighbour.
double round_half_even(double value);

}  // namespace pharmex
