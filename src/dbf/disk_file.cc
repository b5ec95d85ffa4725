#include "dbf/disk_file.h"

#include "core/error.h"
#include "dbf/open_file_list.h"
#include "platform/paths.h"

namespace pharmex::dbf {

using platform::FileAccess;
using platform::FileSharing;

TDiskFile::TDiskFile(std::string_view path, bool shared, bool read_write,
                     platform::FileSystem& file_system)
    : fs_(file_system),
      path_(FullPath(path)),
      shown_(path_),
      exists_(fs_.exists(path_)),
      shared_(shared),
      read_write_(read_write) {}

TDiskFile::~TDiskFile() {
  CloseQuietly();
}

std::string TDiskFile::FullPath(std::string_view path) {
  bool keep = path.find("//") != std::string_view::npos ||
              (path.size() > 2 && path.find(':', 2) != std::string_view::npos);
  return keep ? std::string(path) : platform::expand_file_name(path);
}

void TDiskFile::OpenFile() {
  if (file_) return;
  if (!exists_) raise<DbfError>("File %s could not be found", {shown_});
  file_ = fs_.open(path_, read_write_ ? FileAccess::kReadWrite : FileAccess::kRead,
                   shared_ ? FileSharing::kShared : FileSharing::kExclusive);
  if (!file_) raise<DbfError>("Access denied to file %s", {shown_});
  position_ = 0;
  TOpenFileList::Enter(this);
}

void TDiskFile::CreateNew() {
  CloseFile();
  if (!fs_.create(path_)) raise<DbfError>("Could not create file %s", {shown_});
  exists_ = true;
  OpenFile();
  // Between the create and the opening another writer may have created the
  // file anew and written it whole: what is there is theirs, not ours to
  // write over.
  bool empty = false;
  try {
    empty = FileSize() == 0;
  } catch (...) {
    CloseQuietly();
    throw;
  }
  if (!empty) {
    CloseQuietly();
    raise<DbfError>("Could not create file %s", {shown_});
  }
}

void TDiskFile::Share() {
  if (shared_) return;
  if (!file_ || !file_->share()) raise<DbfError>("Access denied to file %s", {shown_});
  shared_ = true;
}

size_t TDiskFile::ReadAt(uint64_t offset, std::span<char> buffer) {
  std::optional<size_t> count;
  if (file_) count = file_->read_at(offset, buffer);
  if (!count) raise<DbfError>("Error on Read of file %s", {shown_});
  last_count_ = *count;
  position_ = offset + *count;
  return *count;
}

void TDiskFile::WriteAt(uint64_t offset, std::span<const char> data) {
  std::optional<size_t> count;
  if (file_) count = file_->write_at(offset, data);
  if (count) {
    last_count_ = *count;
    position_ = offset + *count;
    written_since_flush_ = written_since_flush_ || *count > 0;
  }
  // A write that stopped part of the way is as much a failure as one that
  // never started: the record or header on disk is now incomplete.
  if (!count || *count != data.size()) raise<DbfError>("Error writing to %s", {shown_});
}

uint64_t TDiskFile::FileSize() {
  std::optional<uint64_t> size;
  if (file_) size = file_->size();
  if (!size) raise<DbfError>("Error getting FileSize for file %s", {shown_});
  return *size;
}

void TDiskFile::FlushFile() {
  if (!file_) return;
  if (!file_->sync()) raise<DbfError>("Error on Flush for file %s", {shown_});
  written_since_flush_ = false;
}

void TDiskFile::TruncateAt(uint64_t offset) {
  if (!read_write_ || (shared_ && !HoldsLockAll())) {
    raise<DbfError>("%s requires full access to file %s", {"Truncate", shown_});
  }
  if (!file_ || !file_->truncate(offset)) raise<DbfError>("Error in Truncate of file %s", {shown_});
  position_ = offset;
}

void TDiskFile::RenameTo(std::string_view new_path) {
  bool was_open = IsOpen();
  CloseFile();
  std::string target = FullPath(new_path);
  if (!fs_.rename(path_, target)) {
    // Still usable under its old name, as it was before the attempt.
    if (was_open) {
      try {
        OpenFile();
      } catch (const DbfError&) {
        // The rename failure is the one to report.
      }
    }
    raise<DbfError>("Error on Rename of file %s", {shown_});
  }
  if (shown_ == path_) shown_ = target;
  path_ = std::move(target);
  exists_ = true;
  if (was_open) OpenFile();
}

void TDiskFile::CloseFile() {
  if (!file_) return;
  bool unlocked = true;
  if (lock_count_ > 0) {
    lock_count_ = 1;
    unlocked = !shared_ || file_->unlock(locked_.offset, locked_.length);
    lock_count_ = 0;
  }
  ReleaseHandle();
  // Closing dropped the platform lock anyway; the failure is still reported.
  if (!unlocked) raise<DbfError>("Error in Unlock of file %s", {shown_});
}

void TDiskFile::CloseQuietly() noexcept {
  if (!file_) return;
  if (lock_count_ > 0 && shared_) file_->unlock(locked_.offset, locked_.length);
  lock_count_ = 0;
  ReleaseHandle();
}

void TDiskFile::ReleaseHandle() noexcept {
  TOpenFileList::Leave(this);
  file_->close();
  file_.reset();
}

bool TDiskFile::LockRange(uint64_t offset, uint64_t length) {
  const TLockRange range{offset, length};
  if (!shared_) {
    ++lock_count_;
    locked_ = range;
    return true;
  }
  if (lock_count_ > 0) {
    if (range != locked_) return false;
    ++lock_count_;
    return true;
  }
  locked_ = range;
  if (!file_ || !file_->try_lock(offset, length)) return false;
  lock_count_ = 1;
  return true;
}

bool TDiskFile::LockAll() {
  if (!shared_) return true;
  return LockRange(kLockAllRange);
}

void TDiskFile::UnlockRange() {
  if (lock_count_ == 0) return;
  if (shared_ && lock_count_ == 1) {
    if (!file_ || !file_->unlock(locked_.offset, locked_.length)) {
      raise<DbfError>("Error in Unlock of file %s", {shown_});
    }
  }
  --lock_count_;
}

}  // namespace pharmex::dbf
