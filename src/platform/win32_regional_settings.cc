// The user's regional settings on Windows: the decimal separator and the
// short date pattern of the user's locale (GetLocaleInfoEx), whose pattern
// letters ("dd.MM.yyyy") are the library's own.
#include <windows.h>

#include <optional>
#include <string>

#include "platform/locale_settings.h"
#include "platform/win32_text.h"

namespace pharmex::platform {

namespace {

// One setting of a locale as UTF-16; nothing when the system has no such
// locale or setting.
std::optional<std::wstring> locale_info(const wchar_t* locale, LCTYPE item) {
  int size = ::GetLocaleInfoEx(locale, item, nullptr, 0);
  if (size <= 0) return std::nullopt;
  std::wstring value(static_cast<size_t>(size), L'\0');
  size = ::GetLocaleInfoEx(locale, item, value.data(), size);
  if (size <= 0) return std::nullopt;
  value.resize(static_cast<size_t>(size) - 1);  // without the terminating NUL
  return value;
}

// Text outside ASCII has no place in the settings (RegionalSettings::valid):
// such a character becomes a NUL, which the rule refuses.
std::string ascii(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text)
    out.push_back(c < 0x80 ? static_cast<char>(c) : '\0');
  return out;
}

RegionalSettings from_locale(const wchar_t* numeric_locale, const wchar_t* time_locale) {
  RegionalSettings settings;
  if (auto separator = locale_info(numeric_locale, LOCALE_SDECIMAL)) {
    RegionalSettings candidate = settings;
    std::string text = ascii(*separator);
    candidate.decimal_separator = text.size() == 1 ? text[0] : '\0';
    if (candidate.valid()) settings = candidate;
  }
  if (auto pattern = locale_info(time_locale, LOCALE_SSHORTDATE)) {
    RegionalSettings candidate = settings;
    candidate.short_date_pattern = ascii(*pattern);
    if (candidate.valid()) settings = candidate;
  }
  return settings;
}

}  // namespace

RegionalSettings regional_settings_from_locales(std::string_view numeric_locale,
                                                std::string_view time_locale) {
  // An empty name keeps the default; Windows would read it as the user's.
  std::wstring numeric = wide_text(numeric_locale);
  std::wstring time = wide_text(time_locale);
  RegionalSettings defaults;
  RegionalSettings numeric_part =
      numeric.empty() ? defaults : from_locale(numeric.c_str(), numeric.c_str());
  RegionalSettings time_part = time.empty() ? defaults : from_locale(time.c_str(), time.c_str());
  RegionalSettings settings;
  settings.decimal_separator = numeric_part.decimal_separator;
  settings.short_date_pattern = time_part.short_date_pattern;
  return settings;
}

RegionalSettings regional_settings_from_environment() {
  return from_locale(LOCALE_NAME_USER_DEFAULT, LOCALE_NAME_USER_DEFAULT);
}

}  // namespace pharmex::platform
