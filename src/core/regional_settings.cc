#include "core/regional_settings.h"

namespace pharmex {

bool RegionalSettings::valid() const {
  auto is_digit = [](char c) { return c >= '0' && c <= '9'; };
  auto is_letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
  auto printable = [](char c) { return c >= 0x20 && c < 0x7F; };
  if (!printable(decimal_separator) || decimal_separator == ' ' || is_digit(decimal_separator)) {
    return false;
  }
  // Runs of one letter; each of day, month and year once, in its lengths.
  bool day = false, month = false, year = false;
  const std::string& pattern = short_date_pattern;
  for (size_t i = 0; i < pattern.size();) {
    char c = pattern[i];
    if (!printable(c) || is_digit(c) || c == '\'' || c == '"') return false;
    if (!is_letter(c)) {
      ++i;
      continue;
    }
    char lower = static_cast<char>(c | 0x20);
    size_t run = 1;
    while (i + run < pattern.size() && (pattern[i + run] | 0x20) == lower)
      ++run;
    bool* seen = lower == 'd' ? &day : lower == 'm' ? &month : lower == 'y' ? &year : nullptr;
    bool length_ok = lower == 'y' ? (run == 2 || run == 4) : run <= 2;
    if (seen == nullptr || *seen || !length_ok) return false;
    *seen = true;
    i += run;
  }
  return day && month && year;
}

RegionalSettings regional_settings() {
  return *Service<const RegionalSettings>::current();
}

}  // namespace pharmex
