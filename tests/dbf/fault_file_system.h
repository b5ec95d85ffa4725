// A file system that passes everything to the real one except the faults a
// test switches on: writes that stop after a few bytes, the n-th write
// failing, a failing flush or unlock, or, more generally, the n-th operation
// of one kind (open, create, read, write, size, flush, truncate, lock,
// unlock, rename, share) failing once or from then on (a full disk). Built on the
// delegating wrappers, so it overrides only what it changes. With
// `path_suffix` set only the files whose path ends with it are faulty (and
// only their operations are counted).
#pragma once

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/service.h"
#include "dbf/engine_options.h"
#include "platform/file_system.h"

namespace pharmex::dbf::testing {

// The process's settings and clock with `files` lent as the file system: how
// a test runs the engine on a double (which must outlive what is made with
// them).
inline EngineOptions options_with(platform::FileSystem& files) {
  EngineOptions options = EngineOptions::process_defaults();
  options.file_system = Service<platform::FileSystem>::borrow(files);
  return options;
}

// The operations a fault can hit (a new file made and claimed counts as a
// create; a rename of a file nobody uses as a rename). Exists, remove and
// the listing of a folder are never failed: they ask or clean up, and their
// failure is no fault of the writer.
enum class FileOp {
  kOpen,
  kCreate,
  kRead,
  kWrite,
  kSize,
  kSync,
  kTruncate,
  kLock,
  kUnlock,
  kRename,
  kShare
};
inline constexpr size_t kFileOpCount = 11;

inline const char* file_op_name(FileOp op) {
  static constexpr std::array<const char*, kFileOpCount> kNames = {
      "open",     "create", "read",   "write",  "size", "flush",
      "truncate", "lock",   "unlock", "rename", "share"};
  return kNames[static_cast<size_t>(op)];
}

struct Faults {
  int fail_write_number = 0;     // the n-th write (1-based) fails; 0: none
  size_t short_write_bytes = 0;  // with a failing write: write this many bytes first
  bool fail_sync = false;
  bool fail_unlock = false;
  int writes = 0;           // writes seen so far
  std::string path_suffix;  // "": every file

  // The fail_op_number-th operation of kind fail_op (1-based) fails; with
  // keep_failing every later one of that kind fails too (a disk that stays
  // full). A failed lock is a refused one; a failed write writes
  // short_write_bytes first.
  std::optional<FileOp> fail_op;
  int fail_op_number = 0;
  bool keep_failing = false;

  std::array<int, kFileOpCount> seen{};  // operations seen so far, by kind
  int injected = 0;                      // failures injected so far
  std::string failed_path;               // the file of the first injected failure

  int count(FileOp op) const { return seen[static_cast<size_t>(op)]; }

  // Counts an operation on `path`; true when it is to fail.
  bool hit(FileOp op, std::string_view path) {
    const int n = ++seen[static_cast<size_t>(op)];
    if (fail_op != op || fail_op_number <= 0) return false;
    if (n != fail_op_number && !(keep_failing && n > fail_op_number)) return false;
    if (injected++ == 0) failed_path = path;
    return true;
  }
};

class FaultyFile : public platform::FileWrapper {
 public:
  FaultyFile(std::unique_ptr<platform::File> target, Faults& faults, std::string path = {})
      : FileWrapper(std::move(target)), faults_(faults), path_(std::move(path)) {}

  std::optional<size_t> read_at(uint64_t offset, std::span<char> buffer) override {
    if (faults_.hit(FileOp::kRead, path_)) return std::nullopt;
    return FileWrapper::read_at(offset, buffer);
  }
  std::optional<size_t> write_at(uint64_t offset, std::span<const char> data) override {
    const bool planned = ++faults_.writes == faults_.fail_write_number;
    if (!faults_.hit(FileOp::kWrite, path_) && !planned) return FileWrapper::write_at(offset, data);
    if (faults_.short_write_bytes == 0) return std::nullopt;
    return FileWrapper::write_at(offset,
                                 data.first(std::min(data.size(), faults_.short_write_bytes)));
  }
  std::optional<uint64_t> size() override {
    if (faults_.hit(FileOp::kSize, path_)) return std::nullopt;
    return FileWrapper::size();
  }
  bool sync() override {
    return !faults_.hit(FileOp::kSync, path_) && !faults_.fail_sync && FileWrapper::sync();
  }
  bool truncate(uint64_t size) override {
    return !faults_.hit(FileOp::kTruncate, path_) && FileWrapper::truncate(size);
  }
  bool try_lock(uint64_t offset, uint64_t length) override {
    return !faults_.hit(FileOp::kLock, path_) && FileWrapper::try_lock(offset, length);
  }
  bool unlock(uint64_t offset, uint64_t length) override {
    const bool fail = faults_.hit(FileOp::kUnlock, path_) || faults_.fail_unlock;
    return !fail && FileWrapper::unlock(offset, length);
  }
  bool share() override { return !faults_.hit(FileOp::kShare, path_) && FileWrapper::share(); }

 private:
  Faults& faults_;
  std::string path_;
};

class FaultyFileSystem : public platform::FileSystemWrapper {
 public:
  FaultyFileSystem() : FileSystemWrapper(platform::posix_file_system()) {}

  std::unique_ptr<platform::File> open(std::string_view path, platform::FileAccess access,
                                       platform::FileSharing sharing) override {
    if (faulty(path) && faults.hit(FileOp::kOpen, path)) return nullptr;
    auto file = FileSystemWrapper::open(path, access, sharing);
    if (!file) return nullptr;
    if (!faulty(path)) return file;
    return std::make_unique<FaultyFile>(std::move(file), faults, std::string(path));
  }
  bool create(std::string_view path) override {
    if (faulty(path) && faults.hit(FileOp::kCreate, path)) return false;
    return FileSystemWrapper::create(path);
  }
  // A new file is a create and, when it is faulty, an open file of its own.
  std::unique_ptr<platform::File> create_new(std::string_view path) override {
    if (faulty(path) && faults.hit(FileOp::kCreate, path)) return nullptr;
    auto file = FileSystemWrapper::create_new(path);
    if (!file || !faulty(path)) return file;
    return std::make_unique<FaultyFile>(std::move(file), faults, std::string(path));
  }
  bool rename(std::string_view from, std::string_view to) override {
    if (faulty(from) && faults.hit(FileOp::kRename, from)) return false;
    return FileSystemWrapper::rename(from, to);
  }
  bool rename_if_unused(std::string_view from, std::string_view to) override {
    if (faulty(from) && faults.hit(FileOp::kRename, from)) return false;
    return FileSystemWrapper::rename_if_unused(from, to);
  }

  Faults faults;

 private:
  bool faulty(std::string_view path) const { return path.ends_with(faults.path_suffix); }
};

}  // namespace pharmex::dbf::testing
