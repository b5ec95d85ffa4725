#include "platform/regional_settings.h"

namespace pharmex::platform {

std::string date_pattern_from_strftime(std::string_view format) {
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      out.push_back(format[i]);
      continue;
    }
    char spec = format[++i];
    if (spec == 'E' || spec == 'O') {  // modifiers: %Ey, %Od
      if (i + 1 == format.size()) break;
      spec = format[++i];
    }
    switch (spec) {
      case 'd':
        out += "dd";
        break;
      case 'e':
        out += "d";
        break;
      case 'm':
        out += "MM";
        break;
      case 'y':
        out += "yy";
        break;
      case 'Y':
        out += "yyyy";
        break;
      case 'F':
        out += "yyyy-MM-dd";
        break;
      case 'D':
        out += "MM/dd/yy";
        break;
      case '%':
        out += "%";
        break;
      default:
        break;  // weekday and month names have no place in a short date
    }
  }
  return out;
}

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

namespace {

RegionalSettings& current() {
  static RegionalSettings settings = RegionalSettings::from_environment();
  return settings;
}

}  // namespace

const RegionalSettings& regional_settings() {
  return current();
}

void set_regional_settings(const RegionalSettings& settings) {
  current() = settings;
}

ScopedRegionalSettings::ScopedRegionalSettings(const RegionalSettings& settings)
    : saved_(current()) {
  current() = settings;
}

ScopedRegionalSettings::~ScopedRegionalSettings() {
  current() = saved_;
}

}  // namespace pharmex::platform
