// The file system as the table engine sees it: open files with positioned
// reads and writes, flush, truncate, non-blocking byte-range locks, and the few
// whole-file operations (create, rename, exists, remove, the files of a
// folder).
//
// Everything goes through two small interfaces so that tests can replace the
// real backend or wrap it: FileSystemWrapper and FileWrapper delegate every
// call, so a double that fails the n-th write or writes only part of a buffer
// overrides one method and leaves the rest to the real files.
//
// Paths are the library's ANSI paths ("/" separated); a backend converts them
// to its own names (the POSIX backend to UTF-8 with native_path).
//
// Not thread-safe per file: one File is used by one thread. The process-wide
// file system is Service<FileSystem> (core/service.h): any thread may read it;
// tests replace it. The library reads it only where a run or a table begins
// (host::RunContext, dbf::EngineOptions) and hands it down from there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/service.h"

namespace pharmex::platform {

enum class FileAccess { kRead, kReadWrite };

// Who else may have the file open while we do. kShared lets other openers read
// and write (they must ask for kShared too); kExclusive admits nobody else.
enum class FileSharing { kShared, kExclusive };

// One open file. Offsets and lengths are 64-bit throughout.
class File {
 public:
  File() = default;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  // Closes the file when it is still open.
  virtual ~File() = default;

  // Reads up to buffer.size() bytes at `offset`. Returns the count read, which
  // is short at the end of the file; nothing when the read fails.
  virtual std::optional<size_t> read_at(uint64_t offset, std::span<char> buffer) = 0;
  // Writes `data` at `offset`. Returns the count written; anything less than
  // data.size() means the write failed part of the way (callers treat it as an
  // error). Nothing when nothing could be written.
  virtual std::optional<size_t> write_at(uint64_t offset, std::span<const char> data) = 0;
  virtual std::optional<uint64_t> size() = 0;
  // Writes the file's buffered data through to the device.
  virtual bool sync() = 0;
  // Sets the end of the file.
  virtual bool truncate(uint64_t size) = 0;
  // Takes a byte-range lock without waiting: true when granted, false when
  // another opener holds a conflicting lock or the lock cannot be taken. Locks
  // belong to this open file: two File objects on one path conflict even in
  // one process.
  virtual bool try_lock(uint64_t offset, uint64_t length) = 0;
  // Releases a range taken by try_lock; false when the platform refuses.
  virtual bool unlock(uint64_t offset, uint64_t length) = 0;
  // Turns an exclusive opener's claim into a shared one without letting go
  // of the file in between: shared openers are admitted from then on, while
  // an exclusive opener, or a create that would cut the file, is still
  // refused. A new file can so be handed from its writer to its users with
  // nobody else getting hold of it. False when the claim could not be kept.
  virtual bool share() = 0;
  // Closes the file (releasing its locks and its sharing claim). Further calls
  // fail; closing twice does nothing.
  virtual void close() = 0;
};

class FileSystem {
 public:
  FileSystem() = default;
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;
  virtual ~FileSystem() = default;

  // Opens an existing file. Null when it does not exist, cannot be opened with
  // this access, or another opener's sharing refuses us (or ours refuses it).
  virtual std::unique_ptr<File> open(std::string_view path, FileAccess access,
                                     FileSharing sharing) = 0;
  // Makes `path` an empty file, replacing an existing one, and closes it again.
  // False when that is not possible, also when someone else has the file open
  // (a file in use is never cut to nothing under its user).
  virtual bool create(std::string_view path) = 0;
  // Makes a new, empty file at `path` and returns it open for reading and
  // writing, held exclusively from its first moment: nobody else opens or
  // claims it in between. Null when something is already at the path (a
  // later exists() tells) or the file cannot be made.
  virtual std::unique_ptr<File> create_new(std::string_view path) = 0;
  // Renames (or moves) a file, replacing an existing target.
  virtual bool rename(std::string_view from, std::string_view to) = 0;
  // Renames as rename() does, but only while nobody has the file, or the
  // file it would replace, open: whoever holds one keeps finding it under
  // its name (Windows refuses to move or replace such a file itself; the
  // POSIX backend holds both files' sharing claims exclusively while it
  // renames). False when one of them is in use or the rename fails.
  virtual bool rename_if_unused(std::string_view from, std::string_view to) = 0;
  // True when a file (not a folder) exists at the path.
  virtual bool exists(std::string_view path) = 0;
  // Deletes a file; false when it cannot be deleted, is not there, or
  // somebody has it open: a file in use is never pulled away from its user
  // (Windows refuses that itself; the POSIX backend asks the file's sharing
  // claim first).
  virtual bool remove(std::string_view path) = 0;
  // The names of the files (not folders) in `folder` ("" the current folder),
  // in no particular order; none when the folder cannot be read.
  virtual std::vector<std::string> file_names(std::string_view folder) = 0;
};

// The real files of a POSIX system (posix_file_system.cc, POSIX builds only).
FileSystem& posix_file_system();
// The real files of Windows (win32_file_system.cc, Windows builds only).
FileSystem& win32_file_system();

// Delegates every call to a wrapped file; override what a test double changes.
class FileWrapper : public File {
 public:
  explicit FileWrapper(std::unique_ptr<File> target) : target_(std::move(target)) {}

  std::optional<size_t> read_at(uint64_t offset, std::span<char> buffer) override {
    return target_->read_at(offset, buffer);
  }
  std::optional<size_t> write_at(uint64_t offset, std::span<const char> data) override {
    return target_->write_at(offset, data);
  }
  std::optional<uint64_t> size() override { return target_->size(); }
  bool sync() override { return target_->sync(); }
  bool truncate(uint64_t size) override { return target_->truncate(size); }
  bool try_lock(uint64_t offset, uint64_t length) override {
    return target_->try_lock(offset, length);
  }
  bool unlock(uint64_t offset, uint64_t length) override { return target_->unlock(offset, length); }
  bool share() override { return target_->share(); }
  void close() override { target_->close(); }

 protected:
  File& target() { return *target_; }

 private:
  std::unique_ptr<File> target_;
};

// Delegates every call to another file system. A double that changes files
// overrides open() and wraps what the target returns in its FileWrapper.
class FileSystemWrapper : public FileSystem {
 public:
  explicit FileSystemWrapper(FileSystem& target) : target_(target) {}

  std::unique_ptr<File> open(std::string_view path, FileAccess access,
                             FileSharing sharing) override {
    return target_.open(path, access, sharing);
  }
  bool create(std::string_view path) override { return target_.create(path); }
  std::unique_ptr<File> create_new(std::string_view path) override {
    return target_.create_new(path);
  }
  bool rename(std::string_view from, std::string_view to) override {
    return target_.rename(from, to);
  }
  bool rename_if_unused(std::string_view from, std::string_view to) override {
    return target_.rename_if_unused(from, to);
  }
  bool exists(std::string_view path) override { return target_.exists(path); }
  bool remove(std::string_view path) override { return target_.remove(path); }
  std::vector<std::string> file_names(std::string_view folder) override {
    return target_.file_names(folder);
  }

 protected:
  FileSystem& target() { return target_; }

 private:
  FileSystem& target_;
};

}  // namespace pharmex::platform

namespace pharmex {

// The platform's real files.
template <>
std::shared_ptr<platform::FileSystem> Service<platform::FileSystem>::make_default();

}  // namespace pharmex
