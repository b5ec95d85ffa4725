// The system's clock on Linux: the local time of gettimeofday.
#include <sys/time.h>

#include <ctime>

#include "platform/clock.h"

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

}  // namespace

Clock& system_clock() {
  static SystemClock instance;
  return instance;
}

}  // namespace pharmex::platform
