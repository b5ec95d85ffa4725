#include "core/string_block_cache.h"

#include <cstdlib>

// Under AddressSanitizer a kept block is poisoned until it is handed out
// again, so that a string read or freed after it was freed is still reported,
// as the allocator would report it.
#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#else
#define ASAN_POISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#endif

namespace pharmex {

void* StringBlockCache::take(size_t bytes) noexcept {
  if (bytes > kLargest) return std::malloc(bytes);
  const size_t index = class_of(bytes);
  if (try_lock()) {
    Class& kept = classes_[index];
    void* block = kept.count > 0 ? kept.blocks[--kept.count] : nullptr;
    unlock();
    if (block != nullptr) {
      ASAN_UNPOISON_MEMORY_REGION(block, class_size(index));
      return block;
    }
  }
  return std::malloc(class_size(index));
}

void StringBlockCache::give(void* block, size_t bytes) noexcept {
  if (bytes <= kLargest && try_lock()) {
    const size_t index = class_of(bytes);
    Class& kept = classes_[index];
    const bool room = kept.count < kKept;
    if (room) {
      ASAN_POISON_MEMORY_REGION(block, class_size(index));
      kept.blocks[kept.count++] = block;
    }
    unlock();
    if (room) return;
  }
  std::free(block);
}

void StringBlockCache::clear() noexcept {
  while (!try_lock()) {
  }
  for (size_t index = 0; index < kClasses; ++index) {
    Class& kept = classes_[index];
    while (kept.count > 0) {
      void* block = kept.blocks[--kept.count];
      ASAN_UNPOISON_MEMORY_REGION(block, class_size(index));
      std::free(block);
    }
  }
  unlock();
}

StringBlockCache& string_block_cache() noexcept {
  static constinit StringBlockCache cache;
  return cache;
}

}  // namespace pharmex
