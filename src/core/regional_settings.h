// The user's regional settings that decide how values become text: decimal
// separator, short date pattern and long time pattern. The process keeps one
// current copy (Service<const RegionalSettings>), read from the user's locale
// when first used and replaced only by an explicit call (the host's
// pharmex_set_regional_settings, or a test). Nothing in the library changes it
// on its own, nor reads it deep inside: a run takes a copy when it starts
// (host::RunContext) and hands it down to the layouts and the table engine,
// and layouts that need "." whatever the user chose derive their own from it.
#pragma once

#include <memory>
#include <string>

#include "core/service.h"

namespace pharmex {

struct RegionalSettings {
  // Defaults: the Russian settings of the pharmacies these files serve.
  char decimal_separator = ',';
  std::string short_date_pattern = "dd.MM.yyyy";
  std::string long_time_pattern = "H:mm:ss";

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

// The process's current settings, as a copy (so that a replacement meanwhile
// cannot pull them away from under the caller).
RegionalSettings regional_settings();

// The settings of the user's locale.
template <>
std::shared_ptr<const RegionalSettings> Service<const RegionalSettings>::make_default();

}  // namespace pharmex
