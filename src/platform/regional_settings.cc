#include "platform/regional_settings.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace pharmex::platform {

namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool is_plain_c(std::string_view name) {
  return name.empty() || name == "C" || name == "POSIX" || name.substr(0, 2) == "C.";
}

// Asks the C library about one locale without touching the process locale.
std::optional<std::string> locale_info(std::string_view name, int category_mask, nl_item item) {
  if (is_plain_c(name)) return std::nullopt;
  locale_t locale = newlocale(category_mask, std::string(name).c_str(), static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return std::nullopt;
  std::string value = nl_langinfo_l(item, locale);
  freelocale(locale);
  return value;
}

std::string pick(const char* category) {
  std::string all = env("LC_ALL");
  if (!all.empty()) return all;
  std::string specific = env(category);
  if (!specific.empty()) return specific;
  return env("LANG");
}

}  // namespace

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

RegionalSettings RegionalSettings::from_locales(std::string_view numeric_locale,
                                                std::string_view time_locale) {
  RegionalSettings settings;
  if (auto radix = locale_info(numeric_locale, LC_NUMERIC_MASK, RADIXCHAR)) {
    if (radix->size() == 1 && static_cast<unsigned char>((*radix)[0]) < 0x80) {
      settings.decimal_separator = (*radix)[0];
    }
  }
  if (auto format = locale_info(time_locale, LC_TIME_MASK, D_FMT)) {
    std::string pattern = date_pattern_from_strftime(*format);
    bool has_all = pattern.find('d') != std::string::npos &&
                   pattern.find('M') != std::string::npos && pattern.find('y') != std::string::npos;
    // Literal text in the locale's own encoding ("%Y年%m月%d日") has no place
    // in an ANSI pattern: such a locale keeps the default, as for the separator.
    bool ascii = std::all_of(pattern.begin(), pattern.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (has_all && ascii) settings.short_date_pattern = pattern;
  }
  return settings;
}

RegionalSettings RegionalSettings::from_environment() {
  return from_locales(pick("LC_NUMERIC"), pick("LC_TIME"));
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
