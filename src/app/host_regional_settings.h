// The regional settings a host sets (pharmex_set_regional_settings): the
// decimal separator and the short date pattern, each optional, judged by the
// settings' own rule (RegionalSettings::valid) before anything changes.
#pragma once

#include <optional>
#include <string_view>

namespace pharmex::app {

// Replaces the given parts of the process's regional settings. The separator
// is one character as UTF-8 (a character the rule accepts is one byte); the
// pattern is taken as bytes (the rule accepts ASCII only, the same in UTF-8
// and in the ANSI code page the pattern is held in). Returns false, changing
// nothing, when the result would not be valid.
bool set_host_regional_settings(std::optional<std::string_view> decimal_separator,
                                std::optional<std::string_view> short_date_pattern);

}  // namespace pharmex::app
