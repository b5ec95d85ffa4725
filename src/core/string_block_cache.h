// StringBlockCache: the blocks of freed strings, kept for the next string of
// their size, as OLE automation keeps its BSTRs.
//
// An export reads a text for each character field of each record: the host
// allocates it, the library frees it once the text is in the record, and
// the allocator's malloc and free of that block cost several times the copy
// of its units. A block of at most kLargest bytes is allocated with its size
// rounded up to a multiple of kStep (its class), so that every block of a
// class holds every string of that class; each class keeps up to kKept
// blocks given back, the last given first (at most 33 KiB in all).
//
// The classes are shared by all threads behind a flag taken with one atomic
// exchange. A thread that finds the flag taken does not wait: it allocates
// or frees through the allocator, as if the cache were empty or full.
//
// The object is trivially destructible, so that strings freed during the
// process's exit still find it; the blocks it keeps then are left to the
// system, reachable from it.
#pragma once

#include <atomic>
#include <cstddef>

namespace pharmex {

class StringBlockCache {
 public:
  static constexpr size_t kStep = 16;
  static constexpr size_t kLargest = 512;
  static constexpr size_t kKept = 4;

  constexpr StringBlockCache() = default;
  StringBlockCache(const StringBlockCache&) = delete;
  StringBlockCache& operator=(const StringBlockCache&) = delete;

  // A block of at least `bytes` bytes (not zero), or null when memory is
  // exhausted.
  void* take(size_t bytes) noexcept;
  // Gives back a block `take` returned for the same `bytes`.
  void give(void* block, size_t bytes) noexcept;
  // Frees every block kept.
  void clear() noexcept;

 private:
  struct Class {
    size_t count = 0;
    void* blocks[kKept] = {};
  };
  static constexpr size_t kClasses = kLargest / kStep;

  // The class of a block of `bytes` bytes, 0 to kClasses - 1.
  static constexpr size_t class_of(size_t bytes) { return (bytes - 1) / kStep; }
  // The bytes every block of class `index` has.
  static constexpr size_t class_size(size_t index) { return (index + 1) * kStep; }

  bool try_lock() noexcept { return !busy_.exchange(true, std::memory_order_acquire); }
  void unlock() noexcept { busy_.store(false, std::memory_order_release); }

  std::atomic<bool> busy_{false};
  Class classes_[kClasses] = {};
};

// The cache of the library's own string memory (core/heap_abi_memory.cc).
StringBlockCache& string_block_cache() noexcept;

}  // namespace pharmex
