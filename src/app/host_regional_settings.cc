#include "app/host_regional_settings.h"

#include <string>

#include "core/regional_settings.h"
#include "core/service.h"

namespace pharmex::app {

bool set_host_regional_settings(std::optional<std::string_view> decimal_separator,
                                std::optional<std::string_view> short_date_pattern) {
  RegionalSettings settings = regional_settings();
  if (decimal_separator) {
    if (decimal_separator->size() != 1) return false;
    settings.decimal_separator = (*decimal_separator)[0];
  }
  if (short_date_pattern) settings.short_date_pattern = std::string(*short_date_pattern);
  if (!settings.valid()) return false;
  Service<const RegionalSettings>::set(settings);
  return true;
}

}  // namespace pharmex::app
