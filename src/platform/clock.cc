#include "platform/clock.h"

#include <sys/time.h>

#include <atomic>
#include <ctime>

namespace pharmex::platform {

namespace {

class SystemClock final : public Clock {
 public:
  DateParts now() const override {
    struct timeval tv {};
    ::gettimeofday(&tv, nullptr);
    time_t seconds = tv.tv_sec;
    struct tm local {};
    ::localtime_r(&seconds, &local);
    DateParts parts;
    parts.year = local.tm_year + 1900;
    parts.month = local.tm_mon + 1;
    parts.day = local.tm_mday;
    parts.hour = local.tm_hour;
    parts.minute = local.tm_min;
    parts.second = local.tm_sec > 59 ? 59 : local.tm_sec;  // a leap second
    parts.millisecond = static_cast<int>(tv.tv_usec / 1000);
    return parts;
  }
};

std::atomic<const Clock*>& current_slot() {
  static std::atomic<const Clock*> slot{nullptr};
  return slot;
}

}  // namespace

const Clock& system_clock() {
  static const SystemClock instance;
  return instance;
}

const Clock& clock() {
  const Clock* current = current_slot().load(std::memory_order_acquire);
  return current != nullptr ? *current : system_clock();
}

ScopedClock::ScopedClock(const Clock& replacement)
    : saved_(current_slot().exchange(&replacement, std::memory_order_acq_rel)) {}

ScopedClock::~ScopedClock() {
  current_slot().store(saved_, std::memory_order_release);
}

}  // namespace pharmex::platform
