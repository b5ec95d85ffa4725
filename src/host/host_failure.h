// Failures the host reports from inside one of its operations or callbacks,
// and the failure a host's exception becomes.
//
// The host's IDataSet and IField operations return no status: a host that
// cannot do what it was asked calls pharmex_report_host_failure (pharmex/host.h)
// before it returns. The report waits, per thread, until the library's call
// of that operation has returned; call_host (host/host_call.h) then raises it
// as the failure of the run, as if the operation itself had thrown.
#pragma once

#include <atomic>
#include <string_view>

#include "platform/structured_exceptions.h"

namespace pharmex::host {

// The message used when the host reports a failure without one.
inline constexpr std::string_view kDefaultHostFailure = "The host application reported a failure";

// Records a failure of the running host operation (UTF-8 message). The first
// report before the next check wins. Never throws.
void report_host_failure(std::string_view utf8_message) noexcept;

namespace detail {

// The number of threads whose report waits. Every host call clears and
// checks its thread's report, and reaching thread-local storage is a lookup
// (with GCC's emulated thread-local storage on Windows, tens of nanoseconds,
// many times the call itself): the report is looked at only when some
// thread has one, and the test of this count is inlined into each call.
extern std::atomic<int> threads_with_report;

void forget_report() noexcept;
void throw_report();

}  // namespace detail

// Forgets a report left over from outside a library call; done before every
// host call so that only the operation just called can fail the run.
inline void clear_host_failure() noexcept {
  if (detail::threads_with_report.load(std::memory_order_relaxed) != 0) detail::forget_report();
}

// Throws Error with the reported message (in the ANSI code page) when the
// host reported a failure since the last clear, and forgets it.
inline void throw_if_host_failed() {
  if (detail::threads_with_report.load(std::memory_order_relaxed) != 0) detail::throw_report();
}

// Throws Error for what the host raised during `operation` (host/host_call.h):
// the message of the host's exception object where it had one, else "The
// host failed in %s (exception 0x%s)" with the operation and the code in
// eight hexadecimal digits.
[[noreturn]] void throw_host_exception(std::string_view operation,
                                       const platform::HostException& raised);

}  // namespace pharmex::host
