// The user's regional settings that decide how values become text: decimal
// separator, short date pattern and long time pattern. The library keeps one
// process-wide copy, read from the user's locale when first used and replaced
// only by an explicit call (the host's pharmex_set_regional_settings, or a
// test). Nothing in the library changes it on its own: layouts that need "."
// whatever the user chose pass their own settings object.
#pragma once

#include <string>
#include <string_view>

namespace pharmex::platform {

struct RegionalSettings {
  // Defaults: the Russian settings of the pharmacies these files serve.
  char decimal_separator = ',';
  std::string short_date_pattern = "dd.MM.yyyy";
  std::string long_time_pattern = "H:mm:ss";

  // The user's settings (posix_regional_settings.cc, win32_regional_settings.cc).
  // On Linux from the POSIX locale environment: LC_ALL, then LC_NUMERIC
  // (decimal separator) or LC_TIME (date pattern), then LANG. On Windows the
  // user's regional settings (GetLocaleInfoEx). The "C"/"POSIX" locale, a
  // locale the system does not have, or a setting that is not valid() keeps
  // the default of that setting.
  static RegionalSettings from_environment();

  // The same, with the locale names given (empty: keep the default): POSIX
  // locale names on Linux ("ru_RU.UTF-8"), locale names on Windows ("ru-RU").
  static RegionalSettings from_locales(std::string_view numeric_locale,
                                       std::string_view time_locale);

  // The one rule for settings the library is given, by the locale or by the
  // host: true when numbers and dates can be written and read with them.
  //   - The decimal separator is one printable ASCII character, not a digit.
  //   - The short date pattern is ASCII and names the day (d or dd), the
  //     month (M or MM) and the year (yy or yyyy) once each, letters in
  //     either case, between separators: blanks and punctuation. Any other
  //     letter, a digit or a quote would be copied into dates or misread by
  //     the date formatter and reader (core/date_time.h), and text outside
  //     ASCII has no place in a pattern held in the ANSI code page.
  // The long time pattern is the library's own and is not judged.
  bool valid() const;

  bool operator==(const RegionalSettings&) const = default;
};

// Turns a strftime date format ("%d.%m.%Y") into a date pattern ("dd.MM.yyyy").
std::string date_pattern_from_strftime(std::string_view format);

const RegionalSettings& regional_settings();
void set_regional_settings(const RegionalSettings& settings);

// Replaces the process-wide settings for one scope (tests), restoring them after.
class ScopedRegionalSettings {
 public:
  explicit ScopedRegionalSettings(const RegionalSettings& settings);
  ~ScopedRegionalSettings();
  ScopedRegionalSettings(const ScopedRegionalSettings&) = delete;
  ScopedRegionalSettings& operator=(const ScopedRegionalSettings&) = delete;

 private:
  RegionalSettings saved_;
};

}  // namespace pharmex::platform
