// Variant: the tagged value in which the host and the library exchange column
// values, and the one set of rules by which the library computes with them.
//
// The rules, used everywhere (exports, import, table engine):
//   - Arithmetic with a null operand gives null. Empty counts as 0 (or as ""
//     next to a string).
//   - "+" of two strings concatenates; "+" of a string and a number reads the
//     string as a number and adds. Other operators read strings as numbers.
//   - Integer kinds stay whole (widening to Int64 rather than overflowing);
//     Currency stays exact next to whole numbers; anything with a Double gives
//     a Double; "/" always gives a Double.
//   - Comparison: numbers compare by value across kinds; null equals only null
//     and is neither less nor greater than anything.
//   - Conversion to a whole number rounds halves to the even neighbour.
//   - A failed conversion throws VariantError with
//     "Could not convert variant of type (%s) into type (%s)".
//
// Strings are UTF-16, as the host's are; callers convert to the ANSI code page
// where they need bytes. Functions that read or render text (and so every
// conversion, operation and comparison, which may read a string as a number)
// take the regional settings as an argument: whoever converts says with which
// settings, and nothing here reads the process's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/regional_settings.h"

namespace pharmex {

class Variant {
 public:
  enum class Kind : uint8_t {
    Empty,
    Null,
    SmallInt,
    Integer,
    Int64,
    Double,
    Currency,
    Date,
    Boolean,
    String,
    Array
  };

  Variant() = default;  // Empty

  static Variant null();
  static Variant small_int(int16_t value);
  static Variant integer(int32_t value);
  static Variant int64(int64_t value);
  static Variant real(double value);
  // A currency amount given in units of 1/10000.
  static Variant currency_units(int64_t units);
  static Variant date(double days_since_1899_12_30);
  static Variant boolean(bool value);
  static Variant string(std::u16string value);
  // An ASCII text (messages, literals in layouts): each byte one code unit.
  static Variant ascii(std::string_view value);
  static Variant array(std::vector<Variant> items);

  // Makes this variant a String holding a copy of `text`, in the storage its
  // text already has: a reader that fills one variant value after value
  // allocates only when a text is longer than any before it.
  void assign_string(std::u16string_view text);
  // Makes this variant a value of a kind that holds no text and no items
  // (a number, date, boolean, Empty or Null), keeping its text's storage for
  // the next string: `whole` for the whole kinds, currency units and
  // booleans, `real` for Double and Date.
  void assign_scalar(Kind kind, int64_t whole, double real);

  Kind kind() const { return kind_; }
  bool is_empty() const { return kind_ == Kind::Empty; }
  bool is_null() const { return kind_ == Kind::Null; }
  bool is_string() const { return kind_ == Kind::String; }
  // Whole-number kinds: SmallInt, Integer, Int64.
  bool is_whole() const {
    return kind_ == Kind::SmallInt || kind_ == Kind::Integer || kind_ == Kind::Int64;
  }
  // Whole, Double, Currency and Date.
  bool is_numeric() const;

  // Raw payloads, valid for the matching kinds only.
  int64_t whole_value() const { return whole_; }      // SmallInt, Integer, Int64, Currency units
  double double_value() const { return real_; }       // Double, Date
  bool boolean_value() const { return whole_ != 0; }  // Boolean
  const std::u16string& string_value() const { return text_; }  // String
  const std::vector<Variant>& array_value() const;              // Array

  // Conversions; each throws VariantError when the value cannot be converted.
  int64_t to_int64(const RegionalSettings& settings) const;
  int32_t to_int32(const RegionalSettings& settings) const;
  double to_double(const RegionalSettings& settings) const;
  // Days since 1899-12-30, as the Date kind holds them.
  double to_date(const RegionalSettings& settings) const;
  bool to_bool(const RegionalSettings& settings) const;
  // Text rendering: whole numbers in plain decimal, other numbers in general
  // format (15 significant digits, the settings' decimal separator), dates
  // with the short date pattern (and the long time pattern when there is a
  // time of day), Booleans as "True" / "False", Empty as "".
  std::u16string to_text(const RegionalSettings& settings) const;

  // "Null", "Integer", "String", ...: the names conversion messages use.
  static std::string_view kind_name(Kind kind);

 private:
  Kind kind_ = Kind::Empty;
  int64_t whole_ = 0;
  double real_ = 0;
  std::u16string text_;
  std::shared_ptr<const std::vector<Variant>> items_;
};

[[noreturn]] void throw_conversion_error(Variant::Kind from, std::string_view to);

// Arithmetic by the rules above.
Variant add(const Variant& a, const Variant& b, const RegionalSettings& settings);
Variant subtract(const Variant& a, const Variant& b, const RegionalSettings& settings);
Variant multiply(const Variant& a, const Variant& b, const RegionalSettings& settings);
Variant divide(const Variant& a, const Variant& b, const RegionalSettings& settings);

enum class Ordering { Less, Equal, Greater, Unordered };

// Unordered when exactly one side is null (null equals null).
Ordering compare(const Variant& a, const Variant& b, const RegionalSettings& settings);

}  // namespace pharmex
