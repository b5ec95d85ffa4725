#include "app/last_error.h"

#include <exception>
#include <new>
#include <string>

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
