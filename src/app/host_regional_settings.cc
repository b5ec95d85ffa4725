#include "app/host_regional_settings.h"

#include <string>

#include "platform/regional_settings.h"

namespace pharmex::app {

bool set_host_regional_settings(std::optional<std::string_view> decimal_separator,
                                std::optional<std::string_view> short_date_pattern) {
  platform::RegionalSettings settings = platform::regional_settings();
  if (decimal_separator) {
    if (decimal_separator->size() != 1) return false;
    settings.decimal_separator = (*decimal_separator)[0];
  }
  if (short_date_pattern) settings.short_date_pattern = std::string(*short_date_pattern);
  if (!settings.valid()) return false;
  platform::set_regional_settings(settings);
  return true;
}

}  // namespace pharmex::app
