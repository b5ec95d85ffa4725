// Failures the host reports from inside one of its operations.
//
// The host's IDataSet and IField operations return no status: a host that
// cannot do what it was asked calls pharmex_report_host_failure (pharmex/host.h)
// before it returns. The report waits, per thread, until the library's call
// of that operation has returned; HostDataSet and HostField then raise it as
// the failure of the run, as if the operation itself had thrown.
#pragma once

#include <string_view>
#include <type_traits>

namespace pharmex::host {

// The message used when the host reports a failure without one.
inline constexpr std::string_view kDefaultHostFailure = "The host application reported a failure";

// Records a failure of the running host operation (UTF-8 message). The first
// report before the next check wins. Never throws.
void report_host_failure(std::string_view utf8_message) noexcept;

// Forgets a report left over from outside a library call; done before every
// host call so that only the operation just called can fail the run.
void clear_host_failure() noexcept;

// Throws Error with the reported message (in the ANSI code page) when the
// host reported a failure since the last clear, and forgets it.
void throw_if_host_failed();

// Runs one host operation: clears any stale report, calls it, and raises what
// the host reported during the call. A result the call stored through an
// out-parameter must already be owned by the caller (HostRef, AbiVariant) so
// that it is released when the failure is raised.
template <class Call>
auto call_host(Call&& call) {
  clear_host_failure();
  if constexpr (std::is_void_v<decltype(call())>) {
    call();
    throw_if_host_failed();
  } else {
    auto result = call();
    throw_if_host_failed();
    return result;
  }
}

}  // namespace pharmex::host
