#include "export/text_numbers.h"

#include <cmath>

#include "core/date_time.h"
#include "core/error.h"
#include "core/number_format.h"

namespace pharmex::exporting {

namespace {

std::string date_text(const Variant& value, const RegionalSettings& settings,
                      std::string_view pattern) {
  double date = std::trunc(value.to_date(settings));
  std::optional<std::string> text = format_date_time(date, pattern);
  if (!text) throw_conversion_error(value.kind(), "String");
  return *text;
}

}  // namespace

std::string four_decimals(double value) {
  return format_fixed(value, 4, '.', 15);
}

double round_to_four_decimals(double value) {
  return round_half_even(value / 0.0001) * 0.0001;
}

std::string whole_number_text(const Variant& value, const RegionalSettings& settings) {
  try {
    return std::to_string(value.to_int64(settings));
  } catch (const VariantError&) {
    if (value.is_null() || value.is_string()) throw_conversion_error(value.kind(), "Integer");
    throw;
  }
}

std::string general_number(double value) {
  return format_general(value, '.');
}

std::string body_date(const Variant& value, const RegionalSettings& settings) {
  // The pattern is fixed, so each line's dates are spelled here rather than
  // by reading a pattern: the text "dd.mm.yyyy" gives, the year 1..9999.
  std::optional<DateParts> parts = decode_date(std::trunc(value.to_date(settings)));
  if (!parts) throw_conversion_error(value.kind(), "String");
  char text[10];
  write_digit_pair(text, static_cast<unsigned>(parts->day));
  text[2] = '.';
  write_digit_pair(text + 3, static_cast<unsigned>(parts->month));
  text[5] = '.';
  write_digit_pair(text + 6, static_cast<unsigned>(parts->year / 100));
  write_digit_pair(text + 8, static_cast<unsigned>(parts->year % 100));
  return std::string(text, sizeof text);
}

std::string short_date(const Variant& value, const RegionalSettings& settings) {
  return date_text(value, settings, settings.short_date_pattern);
}

}  // namespace pharmex::exporting
