#include "platform/locale_settings.h"

#include <langinfo.h>
#include <locale.h>

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

RegionalSettings regional_settings_from_locales(std::string_view numeric_locale,
                                                std::string_view time_locale) {
  RegionalSettings settings;
  if (auto radix = locale_info(numeric_locale, LC_NUMERIC_MASK, RADIXCHAR)) {
    RegionalSettings candidate = settings;
    candidate.decimal_separator = radix->size() == 1 ? (*radix)[0] : '\0';
    if (candidate.valid()) settings = candidate;
  }
  if (auto format = locale_info(time_locale, LC_TIME_MASK, D_FMT)) {
    // Literal text in the locale's own encoding ("%Y年%m月%d日") fails the
    // rule: such a locale keeps the default, as for the separator.
    RegionalSettings candidate = settings;
    candidate.short_date_pattern = date_pattern_from_strftime(*format);
    if (candidate.valid()) settings = candidate;
  }
  return settings;
}

RegionalSettings regional_settings_from_environment() {
  return regional_settings_from_locales(pick("LC_NUMERIC"), pick("LC_TIME"));
}

}  // namespace pharmex::platform
