// Service<T>: the process's current T, for the few things the library keeps
// once per process (the clock, the file system, the toolkit, the settings
// store, the regional settings and the text codec), and a scoped override for
// tests and tools. The library reads the clock, the file system and the
// regional settings only where a run or a table begins (host::RunContext,
// dbf::EngineOptions::process_defaults) and hands them down from there.
//
// Every service is held by a shared pointer in one slot per T:
//   - current() returns the slot's service, making the default when the slot
//     is empty; a caller's copy of the pointer keeps its service alive even
//     when the slot is replaced meanwhile.
//   - current_ref() is the same service by reference, read without a lock for
//     the paths that ask for it once per value (the text codec): the
//     reference is good while the service stays in place.
//   - set() replaces it; null empties the slot, so that the default is made
//     anew when next asked for.
//   - Scoped replaces it for one scope and puts the previous one back after,
//     whatever was set in between; nested scopes unwind in order.
// An interface (a polymorphic T) may also be lent by reference: the object
// then must outlive its use. A value (regional settings, a code-page pair) is
// copied in; such a service is held as Service<const T>, so that nobody
// changes the process's value in place.
//
// The default of each service is Service<T>::make_default(), declared beside
// the service's type and defined in the platform's one defaults source
// (platform/posix_defaults.cc): a port chooses its own defaults there.
//
// The slot is guarded by a mutex, with an atomic copy of the raw pointer for
// current_ref(): any thread may read or replace a service. A default is made
// under that mutex, so it must not ask for its own service.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>

namespace pharmex {

template <class T>
class Service {
 public:
  using Pointer = std::shared_ptr<T>;
  using Value = std::remove_const_t<T>;
  static constexpr bool kHoldsValues = !std::is_polymorphic_v<Value>;

  static Pointer current() {
    Slot& s = slot();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!s.service) {
      s.service = make_default();
      s.raw.store(s.service.get(), std::memory_order_release);
    }
    return s.service;
  }

  static T& current_ref() {
    T* service = slot().raw.load(std::memory_order_acquire);
    return service != nullptr ? *service : *current();
  }

  static void set(Pointer service) {
    // The previous service may have its last owner here: it goes only after
    // the lock is released, so that its destructor may use the services.
    Pointer previous = exchange(std::move(service));
  }
  static void set(const Value& value) requires kHoldsValues { set(std::make_shared<T>(value)); }

  // A pointer to an object that someone else owns.
  static Pointer borrow(T& service) { return Pointer(Pointer(), &service); }

  class Scoped {
   public:
    explicit Scoped(Pointer replacement) : saved_(exchange(std::move(replacement))) {}
    // Lends an object for the scope.
    explicit Scoped(T& replacement) requires(!kHoldsValues) : Scoped(borrow(replacement)) {}
    // Holds a copy of a value for the scope.
    explicit Scoped(const Value& value) requires kHoldsValues : Scoped(std::make_shared<T>(value)) {
    }
    ~Scoped() { set(std::move(saved_)); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

   private:
    Pointer saved_;  // null when the default had not been made yet
  };

 private:
  struct Slot {
    std::mutex mutex;
    Pointer service;               // null: the default, made when first asked for
    std::atomic<T*> raw{nullptr};  // service.get()
  };

  static Slot& slot() {
    static Slot instance;
    return instance;
  }

  // Puts `service` in the slot and returns what was there (possibly null).
  static Pointer exchange(Pointer service) {
    Slot& s = slot();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.raw.store(service.get(), std::memory_order_release);
    return std::exchange(s.service, std::move(service));
  }

  static Pointer make_default();
};

}  // namespace pharmex
