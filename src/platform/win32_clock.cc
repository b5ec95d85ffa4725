// The system's clock on Windows: the local time of GetLocalTime.
#include <windows.h>

#include "platform/clock.h"

namespace pharmex::platform {

namespace {

class SystemClock final : public Clock {
 public:
  DateParts now() const override {
    SYSTEMTIME local;
    ::GetLocalTime(&local);
    DateParts parts;
    parts.year = local.wYear;
    parts.month = local.wMonth;
    parts.day = local.wDay;
    parts.hour = local.wHour;
    parts.minute = local.wMinute;
    parts.second = local.wSecond > 59 ? 59 : local.wSecond;
    parts.millisecond = local.wMilliseconds;
    return parts;
  }
};

}  // namespace

Clock& system_clock() {
  static SystemClock instance;
  return instance;
}

}  // namespace pharmex::platform
