// The system's clock on Linux: the local time of gettimeofday.
#include <sys/time.h>

#include <ctime>

#include "platform/clock.h"

namespace pharmex::platform {

namespace {

// The broken-down local time of one second. localtime_r consults the time
// zone on every call, and the table engine stamps a header on every post:
// within the second it last saw, a thread reuses what it found.
struct LocalSecond {
  time_t seconds = -1;
  struct tm local {};
};

class SystemClock final : public Clock {
 public:
  DateParts now() const override {
    struct timeval tv {};
    ::gettimeofday(&tv, nullptr);
    thread_local LocalSecond last;
    if (tv.tv_sec != last.seconds) {
      const time_t seconds = tv.tv_sec;
      ::localtime_r(&seconds, &last.local);
      last.seconds = seconds;
    }
    const struct tm& local = last.local;
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

}  // namespace

Clock& system_clock() {
  static SystemClock instance;
  return instance;
}

}  // namespace pharmex::platform
