// The local date and time, behind an interface so that tests can fix it: the
// table engine stamps every header it writes with the local date and time of
// day, and a test must be able to predict those bytes.
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

// The clock the library uses: Service<Clock>'s current one (the platform's
// system clock unless replaced). The reference is good while the clock stays
// in place.
const Clock& clock();

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
