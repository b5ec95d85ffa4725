// The one way the library calls into the host: every IDataSet and IField
// operation, every AddRef and Release and every callback goes through
// call_host (or call_host_quietly), from the adapters of this folder.
//
// A call can fail in two ways, and both end the run at that call with an
// Error, from where the routine's clean-up goes on as after any failure:
//
//   - the host reports a failure with pharmex_report_host_failure before
//     it returns (host/host_failure.h): the run fails with its message;
//   - the host raises an exception (on Windows a structured exception: a
//     Pascal host's raise, an access violation, a C++ exception of another
//     compiler). The platform's guard (platform/structured_exceptions.h)
//     stops it at the call: the host's frames are unwound, running its own
//     finally blocks, and the run fails with the exception object's
//     message where a Pascal runtime made it, else with "The host failed
//     in %s (exception 0x%s)", naming the operation and the code.
//
// The call itself is a lambda that makes exactly one call through the
// host's table (or of a callback) with arguments prepared beforehand: it
// runs in a frame that the host's unwind may discard, so it must hold
// nothing to destroy. A result the call stores through an out-parameter
// must be owned by the caller already (HostRef, AbiVariant), so that it is
// released when the failure is raised.
#pragma once

#include <string_view>
#include <type_traits>

#include "host/host_failure.h"
#include "platform/structured_exceptions.h"

namespace pharmex::host {

namespace detail {

// The trampoline the guard calls: runs the lambda, which the compiler
// inlines here.
template <class Call>
void run_host_call(void* call) {
  (*static_cast<Call*>(call))();
}

template <class Call>
bool run_guarded(Call& call, platform::HostException& raised) noexcept {
  return platform::call_guarded(&run_host_call<Call>, &call, raised);
}

}  // namespace detail

// Runs one host call named `operation` ("IDataSet.Post", "the start
// callback"): clears any stale report, makes the call under the guard, and
// raises what the host raised or reported during it. Returns the call's
// result. Inlined into every call site: a few instructions around the
// guard's call, on the way of every value an export reads.
template <class Call>
[[gnu::always_inline]] inline auto call_host(std::string_view operation, Call&& call) {
  using Result = decltype(call());
  clear_host_failure();
  platform::HostException raised;
  if constexpr (std::is_void_v<Result>) {
    if (!detail::run_guarded(call, raised)) throw_host_exception(operation, raised);
    throw_if_host_failed();
  } else {
    Result result{};
    auto keep = [&call, &result] { result = call(); };
    if (!detail::run_guarded(keep, raised)) throw_host_exception(operation, raised);
    throw_if_host_failed();
    return result;
  }
}

// The same for a call whose failure nobody could act on (AddRef, Release:
// called where nothing may throw): what the host raises is stopped at the
// call and dropped, and the reference counts as taken or given back.
template <class Call>
void call_host_quietly(Call&& call) noexcept {
  platform::HostException raised;
  detail::run_guarded(call, raised);
}

}  // namespace pharmex::host
