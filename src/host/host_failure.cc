#include "host/host_failure.h"

#include <atomic>
#include <cstdio>
#include <optional>
#include <string>

#include "core/error.h"
#include "platform/text_codec.h"

namespace pharmex::host {

namespace {

// The host calls back on the thread that called it, so one slot per thread.
thread_local std::optional<std::string> pending_failure;

}  // namespace

namespace detail {

std::atomic<int> threads_with_report{0};

void forget_report() noexcept {
  if (!pending_failure) return;
  pending_failure.reset();
  threads_with_report.fetch_sub(1, std::memory_order_relaxed);
}

void throw_report() {
  if (!pending_failure) return;
  std::string message = std::move(*pending_failure);
  forget_report();
  if (message.empty()) message = kDefaultHostFailure;
  throw Error(platform::text_codec().utf8_to_ansi(message));
}

}  // namespace detail

void report_host_failure(std::string_view utf8_message) noexcept {
  if (pending_failure) return;
  try {
    pending_failure.emplace(utf8_message.empty() ? kDefaultHostFailure : utf8_message);
  } catch (...) {
    // Out of memory: still fail the run, with the shortest message we have.
    pending_failure.emplace();
  }
  detail::threads_with_report.fetch_add(1, std::memory_order_relaxed);
}

void throw_host_exception(std::string_view operation, const platform::HostException& raised) {
  // What the exception says wins over a report made before it.
  clear_host_failure();
  std::u16string text = platform::host_exception_text(raised);
  if (!text.empty()) throw Error(platform::text_codec().utf16_to_ansi(text));
  char code[9];
  std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(raised.code));
  raise<Error>("The host failed in %s (exception 0x%s)", {operation, std::string_view(code)});
}

}  // namespace pharmex::host
