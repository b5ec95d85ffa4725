// How a failure that an entry point passes on reaches the host
// (pharmex_set_failure_mode in pharmex/pharmex.h).
//
// Every such failure is recorded for pharmex_last_error(). A host whose
// failures are exceptions expects more: that the call raises, so that its
// try ... except turns the failure into its own error path. Where the
// platform has exceptions that cross languages (Windows: structured
// exceptions) the library then raises the recorded failure as well; that is
// the default there, because a host that knows nothing of
// pharmex_last_error() would otherwise take every failure for success.
// Elsewhere failures are recorded only, and raising cannot be chosen.
#pragma once

#include <cstdint>

#include "app/last_error.h"

namespace pharmex::app {

// Sets the mode for the whole process (PX_FAILURE_RECORD or
// PX_FAILURE_RAISE); returns the previous mode, or -1 without changing
// anything for a mode that is not one of those or that the platform cannot
// honour.
int32_t set_failure_mode(int32_t mode) noexcept;

// Raises the failure the calling thread recorded last, when the mode says
// so; returns at once when it does not, and when a host's handler
// continues the exception.
void pass_failure_on() noexcept;

// The body of an entry point whose failure is passed on to the host: runs
// it at the boundary (the failure is recorded) and, once every object of the
// run is destroyed, passes the failure on.
template <class Body>
void run_passing_failure_on(Body&& body) noexcept {
  if (!run_at_boundary(body)) pass_failure_on();
}

}  // namespace pharmex::app
