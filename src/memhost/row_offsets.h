// RowOffsets: where each row of a file starts, in ascending order, at 4
// bytes a row: the low 32 bits of each offset, in chunks of 64 KiB that
// never move (so growing never copies the list, nor holds it twice), and
// for each further 4 GiB of file the first row that lies beyond it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace pharmex::memhost {

class RowOffsets {
 public:
  // Adds the next row's offset, which is not below the last one.
  void push_back(uint64_t offset);
  // The offset of row `row` (< size()).
  uint64_t operator[](size_t row) const;
  size_t size() const { return size_; }

 private:
  static constexpr size_t kChunk = 16384;
  std::vector<std::unique_ptr<uint32_t[]>> chunks_;
  std::vector<size_t> wraps_;  // wraps_[i]: the first row at or beyond (i + 1) x 4 GiB
  size_t size_ = 0;
};

}  // namespace pharmex::memhost
