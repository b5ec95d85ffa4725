// The regional settings of the user's POSIX locale: the default of the
// process's settings (core/regional_settings.h) on this platform.
#pragma once

#include <string>
#include <string_view>

#include "core/regional_settings.h"

namespace pharmex::platform {

// From the POSIX locale environment: LC_ALL, then LC_NUMERIC (decimal
// separator) or LC_TIME (date pattern), then LANG. The "C"/"POSIX" locale, a
// locale the system does not have, or a setting that is not valid() keeps
// the default of that setting.
RegionalSettings regional_settings_from_environment();

// The same, with the locale names given (empty: keep the default).
RegionalSettings regional_settings_from_locales(std::string_view numeric_locale,
                                                std::string_view time_locale);

// Turns a strftime date format ("%d.%m.%Y") into a date pattern ("dd.MM.yyyy").
std::string date_pattern_from_strftime(std::string_view format);

}  // namespace pharmex::platform
