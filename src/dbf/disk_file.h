// TDiskFile: one file of the table engine (a table, a memo file, a new file
// being built). It opens or creates the file with the access and sharing fixed
// when the object is built, reads and writes at absolute offsets, flushes,
// truncates, renames and takes byte-range locks, and turns every platform
// failure into the engine's message naming the file's full path.
//
// Locks. A file opened exclusively has nobody to coordinate with, so its lock
// requests never reach the platform: they are counted and granted. A shared
// file holds at most one platform range at a time: asking again for the same
// range counts up, asking for any other range is refused, and only the last
// unlock releases the platform lock. A refused lock is not an error here; the
// caller decides.
//
// Messages name the file by its full path, or, for a file written aside
// under a temporary name (TTableStage), by the path of the file it is to
// become (ShowAs): that is the file the user asked for.
//
// Every open file is listed in the process-wide TOpenFileList until it is
// closed. One object is used by one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "dbf/lock_protocol.h"
#include "platform/file_system.h"

namespace pharmex::dbf {

class TDiskFile {
 public:
  // Builds the object; the only file access is the test whether it exists.
  // The path becomes absolute (see FullPath). Every access goes through
  // `file_system`, which must outlive the object.
  TDiskFile(std::string_view path, bool shared, bool read_write, platform::FileSystem& file_system);
  TDiskFile(const TDiskFile&) = delete;
  TDiskFile& operator=(const TDiskFile&) = delete;
  // Closes the file, releasing its lock. Never throws.
  virtual ~TDiskFile();

  // A relative path taken against the current folder, unless it contains "//"
  // or a ":" after its second character (a network or URL-like name), which
  // stays as it is.
  static std::string FullPath(std::string_view path);

  const std::string& FileName() const { return path_; }
  // The path messages name: FileName(), unless ShowAs gave another.
  const std::string& ShownName() const { return shown_; }
  // Messages name `path` (made absolute as FileName is) from now on.
  void ShowAs(std::string_view path) { shown_ = FullPath(path); }
  bool FileExists() const { return exists_; }
  bool IsOpen() const { return file_ != nullptr; }
  bool Shared() const { return shared_; }
  bool ReadWrite() const { return read_write_; }
  // The offset after the last read or write, and the byte count it moved.
  uint64_t Position() const { return position_; }
  size_t LastCount() const { return last_count_; }
  int LockCount() const { return lock_count_; }
  TLockRange LockedRange() const { return locked_; }
  bool WrittenSinceFlush() const { return written_since_flush_; }
  // The file system the object goes through (files that belong to this one,
  // such as a table's memo file, use it too).
  platform::FileSystem& Files() const { return fs_; }

  // Opens the existing file. Does nothing when it is already open.
  // Fails with "File %s could not be found" or "Access denied to file %s".
  void OpenFile();
  // Replaces the file with an empty one and opens it ("Could not create file
  // %s", also when somebody else has created and written the file anew
  // before it could be opened: it is then theirs).
  void CreateNew();
  // Lets other shared openers in while still keeping out anyone who would
  // open the file exclusively or create it anew: a new file passes from its
  // builder to the dataset that opens it without anybody else getting hold
  // of it. The file is shared from then on. Fails with "Access denied to
  // file %s". Does nothing on a shared file.
  // REQUIRES: open, no lock held.
  void Share();

  // Reads up to buffer.size() bytes; returns the count, short at the end of
  // the file ("Error on Read of file %s" when the read itself fails).
  size_t ReadAt(uint64_t offset, std::span<char> buffer);
  // Writes all of `data` ("Error writing to %s", also for a short write).
  void WriteAt(uint64_t offset, std::span<const char> data);
  uint64_t FileSize();
  void FlushFile();
  // REQUIRES: read-write, and either not shared or holding a lock-all;
  // otherwise "%s requires full access to file %s".
  void TruncateAt(uint64_t offset);
  // Closes, renames, takes the new path and opens again when it was open.
  void RenameTo(std::string_view new_path);
  // Releases a held lock, leaves the open-file list and closes. Does nothing
  // when closed.
  void CloseFile();

  bool LockRange(uint64_t offset, uint64_t length);
  bool LockRange(TLockRange range) { return LockRange(range.offset, range.length); }
  // The whole file (kLockAllRange); granted at once on a file that is not shared.
  bool LockAll();
  // Gives back one level of the lock count; the platform lock goes with the last.
  void UnlockRange();
  // True while a lock-all is held.
  bool HoldsLockAll() const { return lock_count_ > 0 && locked_ == kLockAllRange; }

 private:
  friend class TOpenFileList;
  // Closing at library unload: no exception, whatever happens.
  void CloseQuietly() noexcept;
  void ReleaseHandle() noexcept;

  platform::FileSystem& fs_;
  std::unique_ptr<platform::File> file_;
  std::string path_;
  std::string shown_;
  bool exists_;
  bool shared_;
  bool read_write_;
  uint64_t position_ = 0;
  size_t last_count_ = 0;
  int lock_count_ = 0;
  TLockRange locked_;
  bool written_since_flush_ = false;
};

}  // namespace pharmex::dbf
