// Failures of the library. Every failure is an exception whose what() is the
// exact message the user or the host sees, as 8-bit text in the ANSI code page.
// The kinds mirror the places a failure comes from, so callers and tests can
// tell a table-engine refusal from a dataset refusal, but nothing dispatches on
// them: the message is what matters.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>

namespace pharmex {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// A value that cannot be converted ("Could not convert variant of type ...").
class VariantError : public Error {
 public:
  using Error::Error;
};

// Dataset-level refusals of the table engine ("Field '%s' not found", ...).
class DatabaseError : public Error {
 public:
  using Error::Error;
};

// File-level failures of the table engine ("Error writing to %s", ...).
class DbfError : public Error {
 public:
  using Error::Error;
};

// The settings store ("Failed to set data for '%s'", ...).
class SettingsError : public Error {
 public:
  using Error::Error;
};

// Arguments of a message pattern: %s takes text, %d a whole number, %g a number
// in general format.
using MessageArg = std::variant<std::string_view, int64_t, double>;

// Fills a printf-like pattern: each %s, %d and %g takes the next argument in
// order, "%%" is a literal percent sign. A missing argument leaves the
// placeholder as written, so a wrong call still shows a readable message.
std::string format_message(std::string_view pattern, std::initializer_list<MessageArg> args);

// The message of the exception being handled, to be called inside a catch
// block: what() of a standard exception (the library's own carry the user's
// message, ANSI), "Out of memory" for a failed allocation, "Unknown failure"
// for anything else. Every place that turns a failure into text for the
// user or the host (the last error of the C boundary, an error box, a host's
// failure report) says it the same way.
std::string current_exception_message();

// Builds and throws an exception of kind E with a formatted message.
template <class E>
[[noreturn]] void raise(std::string_view pattern, std::initializer_list<MessageArg> args = {}) {
  throw E(format_message(pattern, args));
}

}  // namespace pharmex
