// The regional settings of the user's locale: the default of the process's
// settings (core/regional_settings.h). One backend per platform: the POSIX
// locale (locale_settings.cc), the user's regional settings of Windows
// (win32_regional_settings.cc).
#pragma once

#include <string>
#include <string_view>

#include "core/regional_settings.h"

namespace pharmex::platform {

// The user's settings. On a POSIX system from the locale environment:
// LC_ALL, then LC_NUMERIC (decimal separator) or LC_TIME (date pattern), then
// LANG. On Windows the user's decimal separator and short date pattern
// (GetLocaleInfoEx). The "C"/"POSIX" locale, a locale the system does not
// have, or a setting that is not valid() keeps the default of that setting.
RegionalSettings regional_settings_from_environment();

// The same, with the locale names given (empty: keep the default): POSIX
// locale names ("ru_RU.UTF-8"), on Windows the system's ("ru-RU").
RegionalSettings regional_settings_from_locales(std::string_view numeric_locale,
                                                std::string_view time_locale);

// Turns a strftime date format ("%d.%m.%Y") into a date pattern ("dd.MM.yyyy")
// (the POSIX backend's, which reads the locale's strftime format).
std::string date_pattern_from_strftime(std::string_view format);

}  // namespace pharmex::platform
