// The local date and time, behind an interface so that tests can fix it: the
// table engine stamps every header it writes with the local date and time of
// day, and a test must be able to predict those bytes.
#pragma once

#include "core/date_time.h"

namespace pharmex::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  // The current local date and time, to the millisecond.
  virtual DateParts now() const = 0;
};

// The system's clock in the local time zone (posix_clock.cc, win32_clock.cc).
const Clock& system_clock();

// The clock the library uses; system_clock() unless replaced.
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

// Replaces the process-wide clock for one scope (tests), restoring the
// previous one after. The replacement must outlive the scope.
class ScopedClock {
 public:
  explicit ScopedClock(const Clock& replacement);
  ~ScopedClock();
  ScopedClock(const ScopedClock&) = delete;
  ScopedClock& operator=(const ScopedClock&) = delete;

 private:
  const Clock* saved_;
};

}  // namespace pharmex::platform
