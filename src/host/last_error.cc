#include "host/last_error.h"

#include <exception>
#include <new>
#include <string>

#include "pharmex/pharmex.h"
#include "platform/regional_settings.h"
#include "platform/text_codec.h"

namespace pharmex::host {

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

}  // namespace pharmex::host

PX_EXTERN_C PX_API const char* PX_STDCALL pharmex_last_error(void) noexcept {
  return pharmex::host::last_error_utf8();
}

PX_EXTERN_C PX_API const char* PX_STDCALL pharmex_version(void) noexcept {
  return "0.1.0";
}

PX_EXTERN_C PX_API int32_t PX_STDCALL pharmex_set_regional_settings(
    const char* decimal_separator, const char* short_date_pattern) noexcept {
  try {
    pharmex::platform::RegionalSettings settings = pharmex::platform::regional_settings();
    if (decimal_separator != nullptr) {
      std::string_view separator(decimal_separator);
      bool ascii_punctuation = separator.size() == 1 &&
                               static_cast<unsigned char>(separator[0]) > 0x20 &&
                               static_cast<unsigned char>(separator[0]) < 0x7F &&
                               !(separator[0] >= '0' && separator[0] <= '9');
      if (!ascii_punctuation) return -1;
      settings.decimal_separator = separator[0];
    }
    if (short_date_pattern != nullptr) {
      std::string pattern(short_date_pattern);
      bool complete = pattern.find_first_of("dD") != std::string::npos &&
                      pattern.find_first_of("mM") != std::string::npos &&
                      pattern.find_first_of("yY") != std::string::npos;
      if (!complete) return -1;
      settings.short_date_pattern = pattern;
    }
    pharmex::platform::set_regional_settings(settings);
    return 0;
  } catch (...) {
    return -1;
  }
}
