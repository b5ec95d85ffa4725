// The C boundary's record of the last failure passed on to the host, kept per
// thread and read by pharmex_last_error().
#pragma once

#include <string_view>

namespace pharmex::app {

// Records a failure message (ANSI, as raised) for the calling thread.
void set_last_error(std::string_view ansi_message) noexcept;
void clear_last_error() noexcept;
// The recorded message as UTF-8; "" when the last call succeeded.
const char* last_error_utf8() noexcept;

// Runs the body of an exported function: clears the last error, runs `body`
// and records any exception it throws. Never throws.
template <class Body>
void run_at_boundary(Body&& body) noexcept;

void record_current_exception() noexcept;

template <class Body>
void run_at_boundary(Body&& body) noexcept {
  clear_last_error();
  try {
    body();
  } catch (...) {
    record_current_exception();
  }
}

}  // namespace pharmex::app
