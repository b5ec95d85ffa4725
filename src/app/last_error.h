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
// The same in the ANSI code page, as raised. Both stay valid until the next
// failure is recorded or cleared on this thread.
const char* last_error_ansi_text() noexcept;

// Runs the body of an exported function: clears the last error, runs `body`
// and records any exception it throws. False when it threw. Never throws.
template <class Body>
bool run_at_boundary(Body&& body) noexcept;

void record_current_exception() noexcept;

template <class Body>
bool run_at_boundary(Body&& body) noexcept {
  clear_last_error();
  try {
    body();
    return true;
  } catch (...) {
    record_current_exception();
    return false;
  }
}

}  // namespace pharmex::app
