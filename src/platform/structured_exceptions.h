// Exceptions across the host boundary, the system's way, in both directions.
//
// A host written in a language whose failures are exceptions (Delphi, Free
// Pascal, C++ of another compiler) may raise one from inside any of its
// operations or callbacks. On Windows that is a structured exception (SEH),
// which unwinds by the system's rules: on 32-bit Windows along the chain of
// handler records on the stack, which the library's C++ frames (unwound by
// GCC's DWARF tables) are no part of; on 64-bit Windows by the unwinder's
// tables. Left alone it would unwind straight through the library, skipping
// every destructor and clean-up, and end the entry point without a return.
//
// The guard stops it at the call that raised. The host's own frames are
// unwound (their finally blocks run), and the call returns saying what was
// raised; the host layer (host/host_call.h) turns that into the run's
// failure, and from there the run's clean-up goes on as after any failure.
//
// The other way, a failed run is passed on to a host that catches
// exceptions as a structured exception of the library's own (raise_failure).
//
// POSIX has no such exceptions: the guard is a plain call and nothing is
// raised (posix_structured_exceptions.cc; win32_structured_exceptions.cc).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pharmex::platform {

// Room for the message of a host's exception object (longer ones are cut).
inline constexpr size_t kHostExceptionTextBytes = 1024;

// What the host raised during a guarded call, as the guard's handler found
// it before the host's frames were unwound. The message is kept as the
// host's runtime stored it and converted only after the unwind: the handler
// runs in the middle of the host's failure and allocates nothing.
struct HostException {
  uint32_t code = 0;  // the exception code (0xC0000005 for an access violation)
  // The message of a Pascal runtime's exception object: `text_size` bytes
  // of `text`, in code units of `text_unit` bytes (2: UTF-16; 1: 8-bit text
  // in code page `text_code_page`, 0 for the system's ANSI page). A
  // `text_unit` of 0: no message could be read safely.
  uint8_t text_unit = 0;
  uint16_t text_code_page = 0;
  uint32_t text_size = 0;
  unsigned char text[kHostExceptionTextBytes];
};

// One call into the host, made by `call(context)`: a function that makes
// that call and nothing else, with nothing in its frame to destroy and no
// handler of its own, so that unwinding its frame skips nothing.
using HostCall = void (*)(void* context);

// Runs call(context) under the guard. True when it returned; false when the
// host raised a structured exception during it (Windows), which `raised`
// then describes. Costs a few instructions per call.
bool call_guarded(HostCall call, void* context, HostException& raised) noexcept;

// The message of what the host raised; empty when it carried none.
std::u16string host_exception_text(const HostException& raised);

// The exception code of a failed run passed on to the host ("\xE0PMX"; the
// header's PX_FAILURE_EXCEPTION).
inline constexpr uint32_t kFailureExceptionCode = 0xE0504D58;

// Whether this platform passes failures on as exceptions (Windows).
bool failures_can_be_raised() noexcept;

// Raises a failed run's message to the host: a structured exception with
// code kFailureExceptionCode, continuable, whose two parameters are the
// addresses of `utf8` and `ansi` (zero-terminated; they must stay valid
// after the call's frames are gone). Returns when a handler continues it,
// and at once where failures_can_be_raised() is false. Call it with no
// object of the library left to destroy on the way to the host.
void raise_failure(const char* utf8, const char* ansi) noexcept;

}  // namespace pharmex::platform
