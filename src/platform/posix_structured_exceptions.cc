// POSIX has no structured exceptions: a host call is a plain call, and a
// failed run stays recorded for pharmex_last_error().
#include "platform/structured_exceptions.h"

namespace pharmex::platform {

bool call_guarded(HostCall call, void* context, HostException& /*raised*/) noexcept {
  call(context);
  return true;
}

std::u16string host_exception_text(const HostException& /*raised*/) {
  return std::u16string();
}

bool failures_can_be_raised() noexcept {
  return false;
}

void raise_failure(const char* /*utf8*/, const char* /*ansi*/) noexcept {}

}  // namespace pharmex::platform
