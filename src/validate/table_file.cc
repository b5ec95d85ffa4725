#include "validate/table_file.h"

#include <span>

#include "core/error.h"

namespace pharmex::validate {

TableFile::TableFile(platform::FileSystem& file_system, std::string path) : path_(std::move(path)) {
  file_ = file_system.open(path_, platform::FileAccess::kRead, platform::FileSharing::kShared);
  if (!file_) raise<Error>("Cannot open %s", {path_});
  std::optional<uint64_t> size = file_->size();
  if (!size) raise<Error>("Cannot read %s", {path_});
  size_ = *size;
}

std::string TableFile::read(uint64_t offset, size_t count) {
  if (offset >= size_) return {};
  if (count > size_ - offset) count = static_cast<size_t>(size_ - offset);
  std::string bytes(count, '\0');
  std::optional<size_t> got = file_->read_at(offset, std::span<char>(bytes.data(), bytes.size()));
  if (!got) raise<Error>("Cannot read %s", {path_});
  bytes.resize(*got);
  return bytes;
}

std::optional<unsigned char> TableFile::byte_at(uint64_t offset) {
  std::string one = read(offset, 1);
  if (one.empty()) return std::nullopt;
  return static_cast<unsigned char>(one[0]);
}

}  // namespace pharmex::validate
