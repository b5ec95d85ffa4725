#include "core/string_block_cache.h"

#include <cstdlib>

namespace pharmex {

void* StringBlockCache::take(size_t bytes) noexcept {
  if (bytes > kLargest) return std::malloc(bytes);
  const size_t index = class_of(bytes);
  if (try_lock()) {
    Class& kept = classes_[index];
    void* block = kept.count > 0 ? kept.blocks[--kept.count] : nullptr;
    unlock();
    if (block != nullptr) return block;
  }
  return std::malloc((index + 1) * kStep);
}

void StringBlockCache::give(void* block, size_t bytes) noexcept {
  if (bytes <= kLargest && try_lock()) {
    Class& kept = classes_[class_of(bytes)];
    const bool room = kept.count < kKept;
    if (room) kept.blocks[kept.count++] = block;
    unlock();
    if (room) return;
  }
  std::free(block);
}

void StringBlockCache::clear() noexcept {
  while (!try_lock()) {
  }
  for (Class& kept : classes_) {
    while (kept.count > 0)
      std::free(kept.blocks[--kept.count]);
  }
  unlock();
}

StringBlockCache& string_block_cache() noexcept {
  static constinit StringBlockCache cache;
  return cache;
}

}  // namespace pharmex
