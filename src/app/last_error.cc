#include "app/last_error.h"

#include <exception>
#include <new>
#include <string>

#include "pharmex/pharmex.h"
#include "platform/regional_settings.h"
#include "platform/text_codec.h"

namespace pharmex::app {

namespace {

thread_local std::string last_error;

}  // namespace

void set_last_error(std::string_view ansi_message) noexcept {
  try {
    last_error = platform::text_codec().ansi_to_utf8(ansi_message);
  } catch (...) {
    last_error = "Out of memory";
  }
}

void clear_last_error() noexcept {
  last_error.clear();
}

const char* last_error_utf8() noexcept {
  return last_error.c_str();
}

void record_current_exception() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    set_last_error("Out of memory");
  } catch (const std::exception& e) {
    set_last_error(e.what());
  } catch (...) {
    set_last_error("Unknown failure");
  }
}

}  // namespace pharmex::app

PX_EXTERN_C PX_API const char* PX_STDCALL pharmex_last_error(void) noexcept {
  return pharmex::app::last_error_utf8();
}

PX_EXTERN_C PX_API const char* PX_STDCALL pharmex_version(void) noexcept {
  return "0.1.0";
}

PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_set_regional_settings(
    const char* decimal_separator, const char* short_date_pattern) noexcept {
  try {
    pharmex::platform::RegionalSettings settings = pharmex::platform::regional_settings();
    if (decimal_separator != nullptr) {
      // One character: in UTF-8 a character the rule can accept is one byte.
      std::string_view separator(decimal_separator);
      if (separator.size() != 1) return -1;
      settings.decimal_separator = separator[0];
    }
    // Taken as bytes: the rule accepts ASCII only, which is the same in
    // UTF-8 and in the ANSI code page the pattern is held in.
    if (short_date_pattern != nullptr) settings.short_date_pattern = short_date_pattern;
    if (!settings.valid()) return -1;
    pharmex::platform::set_regional_settings(settings);
    return 0;
  } catch (...) {
    return -1;
  }
}
