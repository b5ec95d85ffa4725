// The local date and time, behind an interface so that tests can fix it: the
// table engine stamps every header it writes with the local date and time of
// day, and a test must be able to predict those bytes. The process's clock is
// Service<Clock> (the system clock unless replaced); the engine is handed
// one (dbf::EngineOptions) rather than asking.
#pragma once

#include <memory>

#include "core/date_time.h"
#include "core/service.h"

namespace pharmex::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // The current local date and time, to the millisecond.
  virtual DateParts now() const = 0;
};

// The system's clock in the local time zone (posix_clock.cc, win32_clock.cc).
Clock& system_clock();

// A clock that always shows the same moment.
class FixedClock : public Clock {
 public:
  explicit FixedClock(const DateParts& moment) : moment_(moment) {}
  DateParts now() const override { return moment_; }
  void set(const DateParts& moment) { moment_ = moment; }

 private:
  DateParts moment_;
};

}  // namespace pharmex::platform

namespace pharmex {

// The platform's system clock.
template <>
std::shared_ptr<platform::Clock> Service<platform::Clock>::make_default();

}  // namespace pharmex
