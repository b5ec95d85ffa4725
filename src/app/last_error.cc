#include "app/last_error.h"

#include <string>

#include "core/error.h"
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
    set_last_error(current_exception_message());
  } catch (...) {
    set_last_error("Out of memory");
  }
}

}  // namespace pharmex::app
