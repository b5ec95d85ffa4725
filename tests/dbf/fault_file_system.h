// A file system that passes everything to the real one except the faults a
// test switches on: writes that stop after a few bytes, the n-th write
// failing, a failing flush or unlock. Built on the delegating wrappers, so it
// overrides only what it changes. With `path_suffix` set only the files whose
// path ends with it are faulty (and only their writes are counted).
#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"

namespace pharmex::dbf::testing {

struct Faults {
  int fail_write_number = 0;     // the n-th write (1-based) fails; 0: none
  size_t short_write_bytes = 0;  // with fail_write_number: write this many bytes first
  bool fail_sync = false;
  bool fail_unlock = false;
  int writes = 0;           // writes seen so far
  std::string path_suffix;  // "": every file
};

class FaultyFile : public platform::FileWrapper {
 public:
  FaultyFile(std::unique_ptr<platform::File> target, Faults& faults)
      : FileWrapper(std::move(target)), faults_(faults) {}

  std::optional<size_t> write_at(uint64_t offset, std::span<const char> data) override {
    if (++faults_.writes != faults_.fail_write_number) return FileWrapper::write_at(offset, data);
    if (faults_.short_write_bytes == 0) return std::nullopt;
    return FileWrapper::write_at(offset,
                                 data.first(std::min(data.size(), faults_.short_write_bytes)));
  }
  bool sync() override { return !faults_.fail_sync && FileWrapper::sync(); }
  bool unlock(uint64_t offset, uint64_t length) override {
    return !faults_.fail_unlock && FileWrapper::unlock(offset, length);
  }

 private:
  Faults& faults_;
};

class FaultyFileSystem : public platform::FileSystemWrapper {
 public:
  FaultyFileSystem() : FileSystemWrapper(platform::posix_file_system()) {}

  std::unique_ptr<platform::File> open(std::string_view path, platform::FileAccess access,
                                       platform::FileSharing sharing) override {
    auto file = FileSystemWrapper::open(path, access, sharing);
    if (!file) return nullptr;
    if (!path.ends_with(faults.path_suffix)) return file;
    return std::make_unique<FaultyFile>(std::move(file), faults);
  }

  Faults faults;
};

}  // namespace pharmex::dbf::testing
