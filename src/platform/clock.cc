#include "platform/clock.h"

#include <atomic>

namespace pharmex::platform {

namespace {

std::atomic<const Clock*>& current_slot() {
  static std::atomic<const Clock*> slot{nullptr};
  return slot;
}

}  // namespace

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
