#include "memory_file_system.h"

#include <algorithm>

namespace pharmex::fuzzing {

namespace {

class MemoryFile final : public platform::File {
 public:
  MemoryFile(std::shared_ptr<std::vector<char>> bytes, bool writable)
      : bytes_(std::move(bytes)), writable_(writable) {}

  std::optional<size_t> read_at(uint64_t offset, std::span<char> buffer) override {
    if (!bytes_) return std::nullopt;
    if (offset >= bytes_->size()) return 0;
    const size_t count = std::min<uint64_t>(buffer.size(), bytes_->size() - offset);
    std::copy_n(bytes_->begin() + static_cast<ptrdiff_t>(offset), count, buffer.begin());
    return count;
  }

  std::optional<size_t> write_at(uint64_t offset, std::span<const char> data) override {
    if (!bytes_ || !writable_) return std::nullopt;
    if (offset > MemoryFileSystem::kMaxFileSize ||
        data.size() > MemoryFileSystem::kMaxFileSize - offset)
      return std::nullopt;
    const size_t end = static_cast<size_t>(offset) + data.size();
    if (bytes_->size() < end) bytes_->resize(end, '\0');
    std::copy(data.begin(), data.end(), bytes_->begin() + static_cast<ptrdiff_t>(offset));
    return data.size();
  }

  std::optional<uint64_t> size() override {
    if (!bytes_) return std::nullopt;
    return bytes_->size();
  }
  bool sync() override { return bytes_ != nullptr; }
  bool truncate(uint64_t size) override {
    if (!bytes_ || !writable_ || size > MemoryFileSystem::kMaxFileSize) return false;
    bytes_->resize(static_cast<size_t>(size), '\0');
    return true;
  }
  bool try_lock(uint64_t, uint64_t) override { return bytes_ != nullptr; }
  bool unlock(uint64_t, uint64_t) override { return bytes_ != nullptr; }
  // One process reads and writes these files: every claim is already whole.
  bool share() override { return bytes_ != nullptr; }
  void close() override { bytes_.reset(); }

 private:
  std::shared_ptr<std::vector<char>> bytes_;
  bool writable_;
};

}  // namespace

void MemoryFileSystem::add(std::string_view path, std::string_view bytes) {
  files_[std::string(path)] = std::make_shared<std::vector<char>>(bytes.begin(), bytes.end());
}

std::string MemoryFileSystem::bytes(std::string_view path) const {
  auto found = files_.find(path);
  if (found == files_.end()) return {};
  return {found->second->begin(), found->second->end()};
}

std::unique_ptr<platform::File> MemoryFileSystem::open(std::string_view path,
                                                       platform::FileAccess access,
                                                       platform::FileSharing) {
  auto found = files_.find(path);
  if (found == files_.end()) return nullptr;
  return std::make_unique<MemoryFile>(found->second, access == platform::FileAccess::kReadWrite);
}

bool MemoryFileSystem::create(std::string_view path) {
  // Cut in place, as ftruncate does: a file opened before sees it emptied.
  auto& bytes = files_[std::string(path)];
  if (bytes) {
    bytes->clear();
  } else {
    bytes = std::make_shared<std::vector<char>>();
  }
  return true;
}

std::unique_ptr<platform::File> MemoryFileSystem::create_new(std::string_view path) {
  if (exists(path)) return nullptr;
  create(path);
  return open(path, platform::FileAccess::kReadWrite, platform::FileSharing::kExclusive);
}

bool MemoryFileSystem::rename(std::string_view from, std::string_view to) {
  auto found = files_.find(from);
  if (found == files_.end()) return false;
  auto bytes = found->second;
  files_.erase(found);
  files_[std::string(to)] = std::move(bytes);
  return true;
}

bool MemoryFileSystem::rename_if_unused(std::string_view from, std::string_view to) {
  return rename(from, to);
}

bool MemoryFileSystem::exists(std::string_view path) {
  return files_.find(path) != files_.end();
}

bool MemoryFileSystem::remove(std::string_view path) {
  auto found = files_.find(path);
  if (found == files_.end()) return false;
  files_.erase(found);
  return true;
}

std::vector<std::string> MemoryFileSystem::file_names(std::string_view folder) {
  // Paths are keys: a file is in the folder when its key is the folder, a
  // separator and a name without one.
  std::string prefix(folder);
  if (!prefix.empty() && prefix.back() != '/') prefix.push_back('/');
  std::vector<std::string> names;
  for (const auto& [path, bytes] : files_) {
    if (path.size() > prefix.size() && path.starts_with(prefix) &&
        path.find('/', prefix.size()) == std::string::npos) {
      names.push_back(path.substr(prefix.size()));
    }
  }
  return names;
}

}  // namespace pharmex::fuzzing
