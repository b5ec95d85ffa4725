#include "app/last_error.h"

#include <string>

#include "core/error.h"
#include "platform/text_codec.h"

namespace pharmex::app {

namespace {

// The message in both forms a host may read; they live as long as the
// thread, so a failure raised to the host may point at them.
thread_local std::string last_error;
thread_local std::string last_error_ansi;

}  // namespace

void set_last_error(std::string_view ansi_message) noexcept {
  try {
    last_error = platform::text_codec().ansi_to_utf8(ansi_message);
    last_error_ansi = ansi_message;
  } catch (...) {
    last_error = "Out of memory";
    last_error_ansi = "Out of memory";
  }
}

void clear_last_error() noexcept {
  last_error.clear();
  last_error_ansi.clear();
}

const char* last_error_utf8() noexcept {
  return last_error.c_str();
}

const char* last_error_ansi_text() noexcept {
  return last_error_ansi.c_str();
}

void record_current_exception() noexcept {
  try {
    set_last_error(current_exception_message());
  } catch (...) {
    set_last_error("Out of memory");
  }
}

}  // namespace pharmex::app
