// HostRef<T>: one counted reference on a COM-style host object (IDataSet,
// IField, or an object whose first base is one of them), released when the
// holder goes away.
//
// The host's objects count their references: AddRef adds one, Release drops
// one and destroys the object at zero. A reference the host returns (from
// GetField, FieldByName) is already counted for the caller, so it is adopted;
// a pointer the caller only borrows (an entry point's argument) is retained,
// which adds one. Copies add a reference, moves transfer it.
//
// AddRef and Release are host calls like any other (host/host_call.h): what
// the host raises inside them is stopped there and dropped, since nothing
// may fail where references are taken and given back.
#pragma once

#include <cstddef>
#include <type_traits>
#include <utility>

#include "host/host_call.h"

namespace pharmex::host {

template <class T>
class HostRef {
 public:
  HostRef() noexcept = default;
  HostRef(std::nullptr_t) noexcept {}

  // Takes over a reference the caller already owns, without adding one.
  static HostRef adopt(T* object) noexcept {
    HostRef ref;
    ref.object_ = object;
    return ref;
  }
  // Adds a reference to a borrowed pointer (null stays null).
  static HostRef retain(T* object) noexcept {
    if (object != nullptr) add_ref(object);
    return adopt(object);
  }

  HostRef(const HostRef& other) noexcept : object_(other.object_) {
    if (object_ != nullptr) add_ref(object_);
  }
  HostRef(HostRef&& other) noexcept : object_(other.detach()) {}
  // From a reference to a derived object (HostRef<MemoryDataSet> to HostRef<IDataSet>).
  template <class U>
  requires(std::is_convertible_v<U*, T*> && !std::is_same_v<U, T>) HostRef(HostRef<U> other)
  noexcept : object_(other.detach()) {}

  HostRef& operator=(HostRef other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~HostRef() { reset(); }

  // Releases the reference held, if any.
  void reset() noexcept {
    if (T* object = detach()) call_host_quietly([object] { object->lpVtbl->Release(object); });
  }
  // Releases the reference held and returns the slot for a host call that
  // stores a new counted reference into it (GetField, FieldByName).
  T** put() noexcept {
    reset();
    return &object_;
  }
  // Gives up the reference without releasing it.
  T* detach() noexcept { return std::exchange(object_, nullptr); }

  T* get() const noexcept { return object_; }
  T* operator->() const noexcept { return object_; }
  T& operator*() const noexcept { return *object_; }
  explicit operator bool() const noexcept { return object_ != nullptr; }

 private:
  static void add_ref(T* object) noexcept {
    call_host_quietly([object] { object->lpVtbl->AddRef(object); });
  }

  T* object_ = nullptr;
};

}  // namespace pharmex::host
