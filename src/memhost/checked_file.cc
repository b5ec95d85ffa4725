#include "memhost/checked_file.h"

#include <algorithm>
#include <cstring>

#include "core/error.h"
#include "core/service.h"

namespace pharmex::memhost {

namespace {

constexpr size_t kBlock = 4096;
constexpr size_t kAhead = 256 * 1024;

// A checksum of a block: every 8 bytes go through a bijective mix, so one
// changed word always changes the result, and more than one leaves it alike
// by chance only (one in 2^32).
uint32_t block_checksum(const char* data, size_t length) {
  uint64_t hash = 0x9E3779B97F4A7C15ull ^ length;
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t word = 0;
    std::memcpy(&word, data + i, sizeof word);
    hash = (hash ^ word) * 0xFF51AFD7ED558CCDull;
    hash ^= hash >> 29;
  }
  uint64_t tail = 0;
  std::memcpy(&tail, data + i, length - i);
  hash = (hash ^ tail) * 0xC4CEB9FE1A85EC53ull;
  hash ^= hash >> 32;
  return static_cast<uint32_t>(hash);
}

}  // namespace

CheckedFile::CheckedFile(std::string path)
    : path_(std::move(path)), files_(Service<platform::FileSystem>::current()) {
  file_ = files_->open(path_, platform::FileAccess::kRead, platform::FileSharing::kShared);
  if (!file_) raise<Error>("Cannot open %s", {path_});
  std::optional<uint64_t> size = file_->size();
  if (!size) raise<Error>("Cannot read %s", {path_});
  size_ = *size;
  checksums_.reserve(static_cast<size_t>(size_ / kBlock + 1));
}

void CheckedFile::changed() const {
  raise<Error>("The file %s changed while it was read", {path_});
}

void CheckedFile::read_exactly(uint64_t offset, std::span<char> buffer) {
  std::optional<size_t> count = file_->read_at(offset, buffer);
  if (!count) raise<Error>("Cannot read %s", {path_});
  if (*count != buffer.size()) changed();  // shorter than at opening
}

void CheckedFile::read(uint64_t offset, std::span<char> buffer) {
  read_exactly(offset, buffer);
  if (offset == summed_) add_to_checksums(buffer);
}

void CheckedFile::add_to_checksums(std::span<const char> bytes) {
  size_t at = 0;
  if (!partial_block_.empty()) {
    const size_t take = std::min(kBlock - partial_block_.size(), bytes.size());
    partial_block_.append(bytes.data(), take);
    at = take;
    if (partial_block_.size() == kBlock) {
      checksums_.push_back(block_checksum(partial_block_.data(), kBlock));
      partial_block_.clear();
    }
  }
  for (; bytes.size() - at >= kBlock; at += kBlock)
    checksums_.push_back(block_checksum(bytes.data() + at, kBlock));
  partial_block_.append(bytes.data() + at, bytes.size() - at);
  summed_ += bytes.size();
  if (summed_ == size_ && !partial_block_.empty()) {
    checksums_.push_back(block_checksum(partial_block_.data(), partial_block_.size()));
    partial_block_.clear();
  }
}

void CheckedFile::finish_first_reading() {
  if (summed_ != size_) changed();
  std::optional<uint64_t> size = file_->size();
  if (!size) raise<Error>("Cannot read %s", {path_});
  if (*size != size_) changed();
}

std::string_view CheckedFile::bytes(uint64_t offset, size_t length, bool ahead) {
  if (offset >= window_offset_ && offset + length <= window_offset_ + window_length_) {
    return {window_.get() + (offset - window_offset_), length};
  }
  if (offset + length > size_) changed();
  const uint64_t first = offset / kBlock * kBlock;
  uint64_t last = std::min(size_, (offset + length + kBlock - 1) / kBlock * kBlock);
  if (ahead) last = std::min(size_, std::max<uint64_t>(last, first + kAhead));
  const auto count = static_cast<size_t>(last - first);
  window_length_ = 0;
  if (count > window_capacity_) {
    window_ = std::make_unique_for_overwrite<char[]>(count);
    window_capacity_ = count;
  }
  read_exactly(first, std::span(window_.get(), count));
  for (uint64_t block = first / kBlock; block * kBlock < last; ++block) {
    const auto at = static_cast<size_t>(block * kBlock - first);
    const auto block_length =
        static_cast<size_t>(std::min<uint64_t>(kBlock, size_ - block * kBlock));
    if (block >= checksums_.size() ||
        block_checksum(window_.get() + at, block_length) != checksums_[block]) {
      changed();
    }
  }
  std::optional<uint64_t> size = file_->size();
  if (!size) raise<Error>("Cannot read %s", {path_});
  if (*size != size_) changed();  // grown: written to since
  window_offset_ = first;
  window_length_ = count;
  return {window_.get() + (offset - first), length};
}

}  // namespace pharmex::memhost
