#include "memhost/row_offsets.h"

#include <algorithm>

namespace pharmex::memhost {

void RowOffsets::push_back(uint64_t offset) {
  while (wraps_.size() < (offset >> 32))
    wraps_.push_back(size_);
  if (size_ % kChunk == 0) chunks_.push_back(std::make_unique_for_overwrite<uint32_t[]>(kChunk));
  chunks_[size_ / kChunk][size_ % kChunk] = static_cast<uint32_t>(offset);
  ++size_;
}

uint64_t RowOffsets::operator[](size_t row) const {
  const uint64_t low = chunks_[row / kChunk][row % kChunk];
  const auto high =
      static_cast<uint64_t>(std::upper_bound(wraps_.begin(), wraps_.end(), row) - wraps_.begin());
  return high << 32 | low;
}

}  // namespace pharmex::memhost
