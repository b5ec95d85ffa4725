#include "core/variant.h"

#include <cmath>
#include <limits>

#include "core/date_time.h"
#include "core/error.h"
#include "core/number_format.h"

namespace pharmex {

namespace {

using Kind = Variant::Kind;

constexpr double kCurrencyScale = 10000.0;
// Doubles at or beyond 2^63 do not fit an Int64.
constexpr double kInt64Limit = 9223372036854775808.0;

// A string as ASCII bytes for the number and date readers; a code unit beyond
// ASCII can never be part of a number, so it becomes a byte that fails.
std::string narrow(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t unit : text)
    out.push_back(unit < 0x80 ? static_cast<char>(unit) : '\x7F');
  return out;
}

std::u16string widen(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text)
    out.push_back(static_cast<unsigned char>(c));
  return out;
}

bool equals_ignoring_ascii_case(const std::u16string& text, std::string_view word) {
  if (text.size() != word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    char16_t a = text[i];
    if (a >= u'A' && a <= u'Z') a = static_cast<char16_t>(a - u'A' + u'a');
    char b = word[i];
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
    if (a != static_cast<char16_t>(b)) return false;
  }
  return true;
}

std::string currency_text(int64_t units, char separator) {
  bool negative = units < 0;
  // Work on the magnitude as unsigned so INT64_MIN is safe.
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(units) : static_cast<uint64_t>(units);
  std::string out = negative ? "-" : "";
  out += std::to_string(magnitude / 10000);
  std::string fraction = std::to_string(magnitude % 10000);
  fraction.insert(0, 4 - fraction.size(), '0');
  while (!fraction.empty() && fraction.back() == '0')
    fraction.pop_back();
  if (!fraction.empty()) {
    out.push_back(separator);
    out += fraction;
  }
  return out;
}

int64_t round_to_int64(double value, Kind from, std::string_view to) {
  if (std::isnan(value)) throw_conversion_error(from, to);
  double rounded = round_half_even(value);
  if (rounded >= kInt64Limit || rounded < -kInt64Limit) {
    raise<VariantError>("Overflow while converting variant of type (%s) into type (%s)",
                        {Variant::kind_name(from), to});
  }
  return static_cast<int64_t>(rounded);
}

}  // namespace

[[noreturn]] void throw_conversion_error(Variant::Kind from, std::string_view to) {
  raise<VariantError>("Could not convert variant of type (%s) into type (%s)",
                      {Variant::kind_name(from), to});
}

Variant Variant::null() {
  Variant v;
  v.kind_ = Kind::Null;
  return v;
}

Variant Variant::small_int(int16_t value) {
  Variant v;
  v.kind_ = Kind::SmallInt;
  v.whole_ = value;
  return v;
}

Variant Variant::integer(int32_t value) {
  Variant v;
  v.kind_ = Kind::Integer;
  v.whole_ = value;
  return v;
}

Variant Variant::int64(int64_t value) {
  Variant v;
  v.kind_ = Kind::Int64;
  v.whole_ = value;
  return v;
}

Variant Variant::real(double value) {
  Variant v;
  v.kind_ = Kind::Double;
  v.real_ = value;
  return v;
}

Variant Variant::currency_units(int64_t units) {
  Variant v;
  v.kind_ = Kind::Currency;
  v.whole_ = units;
  return v;
}

Variant Variant::date(double days) {
  Variant v;
  v.kind_ = Kind::Date;
  v.real_ = days;
  return v;
}

Variant Variant::boolean(bool value) {
  Variant v;
  v.kind_ = Kind::Boolean;
  v.whole_ = value ? 1 : 0;
  return v;
}

Variant Variant::string(std::u16string value) {
  Variant v;
  v.kind_ = Kind::String;
  v.text_ = std::move(value);
  return v;
}

void Variant::assign_string(std::u16string_view text) {
  kind_ = Kind::String;
  whole_ = 0;
  real_ = 0;
  text_.assign(text);
  items_.reset();
}

void Variant::assign_scalar(Kind kind, int64_t whole, double real) {
  kind_ = kind;
  whole_ = whole;
  real_ = real;
  text_.clear();
  if (items_) items_.reset();
}

Variant Variant::ascii(std::string_view value) {
  return string(widen(value));
}

Variant Variant::array(std::vector<Variant> items) {
  Variant v;
  v.kind_ = Kind::Array;
  v.items_ = std::make_shared<const std::vector<Variant>>(std::move(items));
  return v;
}

const std::vector<Variant>& Variant::array_value() const {
  static const std::vector<Variant> kNone;
  return items_ ? *items_ : kNone;
}

bool Variant::is_numeric() const {
  switch (kind_) {
    case Kind::SmallInt:
    case Kind::Integer:
    case Kind::Int64:
    case Kind::Double:
    case Kind::Currency:
    case Kind::Date:
      return true;
    default:
      return false;
  }
}

std::string_view Variant::kind_name(Kind kind) {
  switch (kind) {
    case Kind::Empty:
      return "Empty";
    case Kind::Null:
      return "Null";
    case Kind::SmallInt:
      return "SmallInt";
    case Kind::Integer:
      return "Integer";
    case Kind::Int64:
      return "Int64";
    case Kind::Double:
      return "Double";
    case Kind::Currency:
      return "Currency";
    case Kind::Date:
      return "Date";
    case Kind::Boolean:
      return "Boolean";
    case Kind::String:
      return "String";
    case Kind::Array:
      return "Array Variant";
  }
  return "Unknown";
}

double Variant::to_double(const RegionalSettings& settings) const {
  switch (kind_) {
    case Kind::Empty:
      return 0;
    case Kind::SmallInt:
    case Kind::Integer:
    case Kind::Int64:
      return static_cast<double>(whole_);
    case Kind::Double:
    case Kind::Date:
      return real_;
    case Kind::Currency:
      return static_cast<double>(whole_) / kCurrencyScale;
    case Kind::Boolean:
      return whole_ ? -1.0 : 0.0;  // OLE's True is -1
    case Kind::String:
      if (auto value = parse_number(narrow(text_), settings.decimal_separator)) return *value;
      break;
    default:
      break;
  }
  throw_conversion_error(kind_, "Double");
}

int64_t Variant::to_int64(const RegionalSettings& settings) const {
  switch (kind_) {
    case Kind::Empty:
      return 0;
    case Kind::SmallInt:
    case Kind::Integer:
    case Kind::Int64:
      return whole_;
    case Kind::Boolean:
      return whole_ ? -1 : 0;
    case Kind::Double:
    case Kind::Date:
      return round_to_int64(real_, kind_, "Int64");
    case Kind::Currency:
      return round_to_int64(static_cast<double>(whole_) / kCurrencyScale, kind_, "Int64");
    case Kind::String: {
      std::string text = narrow(text_);
      if (auto whole = parse_int64(text)) return *whole;
      if (auto value = parse_number(text, settings.decimal_separator)) {
        return round_to_int64(*value, kind_, "Int64");
      }
      break;
    }
    default:
      break;
  }
  throw_conversion_error(kind_, "Int64");
}

int32_t Variant::to_int32(const RegionalSettings& settings) const {
  int64_t value = 0;
  try {
    value = to_int64(settings);
  } catch (const VariantError&) {
    // Report the conversion that was asked for, not the one used on the way.
    if (kind_ == Kind::Null || kind_ == Kind::String || kind_ == Kind::Array) {
      throw_conversion_error(kind_, "Integer");
    }
    raise<VariantError>("Overflow while converting variant of type (%s) into type (%s)",
                        {kind_name(kind_), "Integer"});
  }
  if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
    raise<VariantError>("Overflow while converting variant of type (%s) into type (%s)",
                        {kind_name(kind_), "Integer"});
  }
  return static_cast<int32_t>(value);
}

double Variant::to_date(const RegionalSettings& settings) const {
  switch (kind_) {
    case Kind::String:
      if (auto value = parse_date_time(narrow(text_), settings.short_date_pattern)) return *value;
      break;
    case Kind::Null:
    case Kind::Array:
      break;
    default:
      return to_double(settings);
  }
  throw_conversion_error(kind_, "Date");
}

bool Variant::to_bool(const RegionalSettings& settings) const {
  switch (kind_) {
    case Kind::Null:
    case Kind::Array:
      break;
    case Kind::Boolean:
      return whole_ != 0;
    case Kind::String: {
      if (equals_ignoring_ascii_case(text_, "true")) return true;
      if (equals_ignoring_ascii_case(text_, "false")) return false;
      if (auto value = parse_number(narrow(text_), settings.decimal_separator)) return *value != 0;
      break;
    }
    default:
      return to_double(settings) != 0;
  }
  throw_conversion_error(kind_, "Boolean");
}

std::u16string Variant::to_text(const RegionalSettings& settings) const {
  switch (kind_) {
    case Kind::Empty:
      return {};
    case Kind::SmallInt:
    case Kind::Integer:
    case Kind::Int64:
      return widen(std::to_string(whole_));
    case Kind::Double:
      return widen(format_general(real_, settings.decimal_separator));
    case Kind::Currency:
      return widen(currency_text(whole_, settings.decimal_separator));
    case Kind::Boolean:
      return whole_ ? u"True" : u"False";
    case Kind::String:
      return text_;
    case Kind::Date: {
      double day = std::trunc(real_);
      bool has_time = real_ != day;
      std::optional<std::string> text;
      if (day == 0 && has_time) {
        text = format_date_time(real_, settings.long_time_pattern);
      } else if (!has_time) {
        text = format_date_time(real_, settings.short_date_pattern);
      } else {
        text =
            format_date_time(real_, settings.short_date_pattern + " " + settings.long_time_pattern);
      }
      if (text) return widen(*text);
      break;
    }
    default:
      break;
  }
  throw_conversion_error(kind_, "String");
}

// ---------------------------------------------------------------------------
// Arithmetic

namespace {

enum class Op { Add, Subtract, Multiply, Divide };

// The numeric class a kind computes in.
enum class Rank { Whole, Currency, Date, Double };

Rank rank_of(Kind kind) {
  switch (kind) {
    case Kind::Currency:
      return Rank::Currency;
    case Kind::Date:
      return Rank::Date;
    case Kind::Double:
    case Kind::String:
      return Rank::Double;
    default:
      return Rank::Whole;  // Empty, Boolean and the whole kinds
  }
}

[[noreturn]] void invalid_operation() {
  raise<VariantError>("Invalid variant operation");
}

Variant whole_result(int64_t value, Kind a, Kind b) {
  bool wide = a == Kind::Int64 || b == Kind::Int64;
  if (!wide && value >= std::numeric_limits<int32_t>::min() &&
      value <= std::numeric_limits<int32_t>::max()) {
    return Variant::integer(static_cast<int32_t>(value));
  }
  return Variant::int64(value);
}

Variant whole_op(Op op, const Variant& a, const Variant& b, const RegionalSettings& settings) {
  int64_t x = a.to_int64(settings);
  int64_t y = b.to_int64(settings);
  int64_t result = 0;
  bool overflow = false;
  switch (op) {
    case Op::Add:
      overflow = __builtin_add_overflow(x, y, &result);
      break;
    case Op::Subtract:
      overflow = __builtin_sub_overflow(x, y, &result);
      break;
    case Op::Multiply:
      overflow = __builtin_mul_overflow(x, y, &result);
      break;
    case Op::Divide:
      break;
  }
  if (overflow) {
    double dx = static_cast<double>(x);
    double dy = static_cast<double>(y);
    return Variant::real(op == Op::Add ? dx + dy : op == Op::Subtract ? dx - dy : dx * dy);
  }
  return whole_result(result, a.kind(), b.kind());
}

double double_op(Op op, double x, double y) {
  switch (op) {
    case Op::Add:
      return x + y;
    case Op::Subtract:
      return x - y;
    case Op::Multiply:
      return x * y;
    case Op::Divide:
      if (y == 0) {
        if (x == 0 || std::isnan(x)) raise<Error>("Invalid floating point operation");
        raise<Error>("Floating point division by zero");
      }
      return x / y;
  }
  return 0;
}

Variant currency_op(Op op, const Variant& a, const Variant& b, const RegionalSettings& settings) {
  // Exact while both sides are currency or whole numbers and nothing
  // overflows; an overflow gives a Double, as it does for whole numbers.
  auto as_double = [&] {
    return Variant::real(double_op(op, a.to_double(settings), b.to_double(settings)));
  };
  int64_t result = 0;
  if (op == Op::Multiply) {
    if (a.kind() == Kind::Currency && b.kind() == Kind::Currency) return as_double();
    // One side is an amount, the other a whole factor: the factor is never
    // scaled, so a small amount times a large factor stays exact.
    const bool a_is_amount = a.kind() == Kind::Currency;
    const int64_t amount = (a_is_amount ? a : b).whole_value();
    const int64_t factor = (a_is_amount ? b : a).to_int64(settings);
    if (__builtin_mul_overflow(amount, factor, &result)) return as_double();
    return Variant::currency_units(result);
  }
  // Add, Subtract: a whole side in units of 1/10000 first.
  auto units = [&](const Variant& v, int64_t& out) {
    if (v.kind() == Kind::Currency) {
      out = v.whole_value();
      return true;
    }
    return !__builtin_mul_overflow(v.to_int64(settings), int64_t{10000}, &out);
  };
  int64_t x = 0;
  int64_t y = 0;
  if (!units(a, x) || !units(b, y)) return as_double();
  const bool overflow =
      op == Op::Add ? __builtin_add_overflow(x, y, &result) : __builtin_sub_overflow(x, y, &result);
  if (overflow) return as_double();
  return Variant::currency_units(result);
}

Variant arithmetic(Op op, const Variant& a, const Variant& b, const RegionalSettings& settings) {
  if (a.is_null() || b.is_null()) return Variant::null();
  if (a.kind() == Kind::Array || b.kind() == Kind::Array) invalid_operation();
  if (op == Op::Add) {
    if (a.is_string() && b.is_string()) return Variant::string(a.string_value() + b.string_value());
    if (a.is_string() && b.is_empty()) return a;
    if (b.is_string() && a.is_empty()) return b;
  }
  if (a.is_empty() && b.is_empty() && op != Op::Divide) return Variant();
  if (op == Op::Divide) {
    return Variant::real(double_op(op, a.to_double(settings), b.to_double(settings)));
  }
  Rank ra = rank_of(a.kind());
  Rank rb = rank_of(b.kind());
  if (ra == Rank::Double || rb == Rank::Double) {
    return Variant::real(double_op(op, a.to_double(settings), b.to_double(settings)));
  }
  if (ra == Rank::Date || rb == Rank::Date) {
    double value = double_op(op, a.to_double(settings), b.to_double(settings));
    return op == Op::Multiply ? Variant::real(value) : Variant::date(value);
  }
  if (ra == Rank::Currency || rb == Rank::Currency) return currency_op(op, a, b, settings);
  return whole_op(op, a, b, settings);
}

}  // namespace

Variant add(const Variant& a, const Variant& b, const RegionalSettings& settings) {
  return arithmetic(Op::Add, a, b, settings);
}

Variant subtract(const Variant& a, const Variant& b, const RegionalSettings& settings) {
  return arithmetic(Op::Subtract, a, b, settings);
}

Variant multiply(const Variant& a, const Variant& b, const RegionalSettings& settings) {
  return arithmetic(Op::Multiply, a, b, settings);
}

Variant divide(const Variant& a, const Variant& b, const RegionalSettings& settings) {
  return arithmetic(Op::Divide, a, b, settings);
}

Ordering compare(const Variant& a, const Variant& b, const RegionalSettings& settings) {
  if (a.is_null() || b.is_null()) {
    return a.is_null() && b.is_null() ? Ordering::Equal : Ordering::Unordered;
  }
  if (a.kind() == Kind::Array || b.kind() == Kind::Array) invalid_operation();
  auto order = [](auto x, auto y) {
    return x < y ? Ordering::Less : y < x ? Ordering::Greater : Ordering::Equal;
  };
  if (a.is_string() && b.is_string()) return order(a.string_value(), b.string_value());
  if (a.is_string() && b.is_empty()) return order(a.string_value(), std::u16string());
  if (b.is_string() && a.is_empty()) return order(std::u16string(), b.string_value());
  bool whole_a = a.is_whole() || a.is_empty() || a.kind() == Kind::Boolean;
  bool whole_b = b.is_whole() || b.is_empty() || b.kind() == Kind::Boolean;
  if (whole_a && whole_b) return order(a.to_int64(settings), b.to_int64(settings));
  if (a.kind() == Kind::Currency && b.kind() == Kind::Currency) {
    return order(a.whole_value(), b.whole_value());
  }
  double x = a.to_double(settings);
  double y = b.to_double(settings);
  if (std::isnan(x) || std::isnan(y)) return Ordering::Unordered;
  return order(x, y);
}

}  // namespace pharmex
