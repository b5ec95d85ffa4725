// Files in memory for the fuzz targets: no system call per read or write, so
// the fuzzer spends its time in the engine, and nothing is left on disk.
//
// Every path is a key; "exists" means a file was created or added under it.
// Sharing and byte-range locks are always granted (one process, one thread).
// A file never grows beyond kMaxFileSize: a write past it fails as on a full
// disk, so that a damaged block number cannot make the target allocate
// gigabytes.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace pharmex::fuzzing {

class MemoryFileSystem : public platform::FileSystem {
 public:
  static constexpr size_t kMaxFileSize = 8 << 20;

  // Puts a file with these bytes under `path`, replacing one there.
  void add(std::string_view path, std::string_view bytes);
  // The bytes of a file; empty when there is none.
  std::string bytes(std::string_view path) const;
  void clear() { files_.clear(); }

  std::unique_ptr<platform::File> open(std::string_view path, platform::FileAccess access,
                                       platform::FileSharing sharing) override;
  bool create(std::string_view path) override;
  std::unique_ptr<platform::File> create_new(std::string_view path) override;
  bool rename(std::string_view from, std::string_view to) override;
  bool rename_if_unused(std::string_view from, std::string_view to) override;
  bool exists(std::string_view path) override;
  bool remove(std::string_view path) override;
  std::vector<std::string> file_names(std::string_view folder) override;

 private:
  std::map<std::string, std::shared_ptr<std::vector<char>>, std::less<>> files_;
};

}  // namespace pharmex::fuzzing
