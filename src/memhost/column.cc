#include "memhost/column.h"

#include <cmath>
#include <limits>

#include "core/error.h"
#include "core/number_format.h"

namespace pharmex::memhost {

namespace {

using Kind = Variant::Kind;

[[noreturn]] void overflow(Kind from, std::string_view to) {
  raise<VariantError>("Overflow while converting variant of type (%s) into type (%s)",
                      {Variant::kind_name(from), to});
}

// A whole number within [low, high]; the messages name `target`, not the
// Int64 used on the way.
int64_t whole_in_range(const Variant& value, int64_t low, int64_t high, std::string_view target,
                       const RegionalSettings& settings) {
  int64_t whole = 0;
  try {
    whole = value.to_int64(settings);
  } catch (const VariantError&) {
    if (value.is_string() || value.kind() == Kind::Array)
      throw_conversion_error(value.kind(), target);
    overflow(value.kind(), target);
  }
  if (whole < low || whole > high) overflow(value.kind(), target);
  return whole;
}

// Currency amounts are held exactly in units of 1/10000.
int64_t currency_units(const Variant& value, const RegionalSettings& settings) {
  constexpr int64_t kScale = 10000;
  if (value.kind() == Kind::Currency) return value.whole_value();
  if (value.is_whole() || value.kind() == Kind::Boolean) {
    int64_t units = 0;
    if (__builtin_mul_overflow(value.to_int64(settings), kScale, &units)) {
      overflow(value.kind(), "Currency");
    }
    return units;
  }
  double amount = 0;
  try {
    amount = value.to_double(settings);
  } catch (const VariantError&) {
    throw_conversion_error(value.kind(), "Currency");
  }
  double units = round_half_even(amount * kScale);
  if (!(units >= -9223372036854775808.0 && units < 9223372036854775808.0)) {
    overflow(value.kind(), "Currency");
  }
  return static_cast<int64_t>(units);
}

char16_t fold_case(char16_t unit) {
  if (unit >= u'A' && unit <= u'Z') return static_cast<char16_t>(unit + 0x20);
  if (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7) return static_cast<char16_t>(unit + 0x20);
  if (unit >= 0x410 && unit <= 0x42F) return static_cast<char16_t>(unit + 0x20);  // А..Я
  if (unit >= 0x400 && unit <= 0x40F) return static_cast<char16_t>(unit + 0x50);  // Ѐ..Џ, Ё
  return unit;
}

}  // namespace

Variant::Kind column_kind(TFieldType type) {
  switch (type) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
    case ftMemo:
    case ftWideMemo:
    case ftFmtMemo:
    case ftBlob:
    case ftGraphic:
    case ftBytes:
    case ftVarBytes:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob:
    case ftGuid:
      return Kind::String;
    case ftSmallint:
      return Kind::SmallInt;
    case ftInteger:
    case ftWord:
    case ftAutoInc:
      return Kind::Integer;
    case ftLargeint:
      return Kind::Int64;
    case ftBoolean:
      return Kind::Boolean;
    case ftFloat:
    case ftBCD:
    case ftFMTBcd:
      return Kind::Double;
    case ftCurrency:
      return Kind::Currency;
    case ftDate:
    case ftTime:
    case ftDateTime:
    case ftTimeStamp:
    case ftOraTimeStamp:
      return Kind::Date;
    default:
      return Kind::Empty;
  }
}

Variant convert_for_column(const Variant& value, TFieldType type,
                           const RegionalSettings& settings) {
  if (value.is_null() || value.is_empty()) return Variant::null();
  Kind kind = column_kind(type);
  if (kind == Kind::Empty) return value;
  if (value.kind() == Kind::Array) {
    throw_conversion_error(Kind::Array, type == ftWord ? "Word" : Variant::kind_name(kind));
  }
  switch (kind) {
    case Kind::String:
      return Variant::string(value.to_text(settings));
    case Kind::SmallInt:
      return Variant::small_int(static_cast<int16_t>(
          whole_in_range(value, std::numeric_limits<int16_t>::min(),
                         std::numeric_limits<int16_t>::max(), "SmallInt", settings)));
    case Kind::Integer:
      if (type == ftWord) {
        return Variant::integer(
            static_cast<int32_t>(whole_in_range(value, 0, 65535, "Word", settings)));
      }
      return Variant::integer(static_cast<int32_t>(
          whole_in_range(value, std::numeric_limits<int32_t>::min(),
                         std::numeric_limits<int32_t>::max(), "Integer", settings)));
    case Kind::Int64:
      return Variant::int64(value.to_int64(settings));
    case Kind::Boolean:
      return Variant::boolean(value.to_bool(settings));
    case Kind::Double:
      return Variant::real(value.to_double(settings));
    case Kind::Currency:
      return Variant::currency_units(currency_units(value, settings));
    case Kind::Date:
      return Variant::date(value.to_date(settings));
    default:
      return value;
  }
}

std::optional<Variant> key_for_column(const Variant& key, TFieldType type,
                                      const RegionalSettings& settings) {
  Variant value;
  try {
    value = convert_for_column(key, type, settings);
  } catch (const VariantError&) {
    return std::nullopt;
  }
  switch (column_kind(type)) {
    case Kind::SmallInt:
    case Kind::Integer:
    case Kind::Int64:
    case Kind::Currency:
    case Kind::Double:
      break;
    default:
      return value;
  }
  if (value.is_null()) return value;
  // The converted value must still be the key's value: compared by number
  // (text by the number it reads as), nothing rounded away.
  try {
    if (compare(value, key, settings) == Ordering::Equal) return value;
  } catch (const VariantError&) {
  }
  return std::nullopt;
}

bool same_column_name(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (fold_case(a[i]) != fold_case(b[i])) return false;
  }
  return true;
}

}  // namespace pharmex::memhost
