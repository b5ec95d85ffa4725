// The Windows backend of the file system: CreateFileW with the share modes of
// shared opening (others may read and write) and exclusive opening (nobody
// else at all), positioned ReadFile and WriteFile, FlushFileBuffers,
// SetEndOfFile, MoveFileExW for the replacing rename (which, like DeleteFileW,
// refuses a file somebody has open without delete sharing), and non-blocking
// LockFileEx byte-range locks. Those locks are mandatory on Windows: another
// handle cannot read or write a locked byte. That is why the lock protocols
// lock bytes far beyond any data: the lock announces, it never blocks the
// data itself.
//
// Locks belong to the handle, so two File objects on one path conflict even
// in one process, as the interface asks.
#include <windows.h>

#include <limits>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/win32_text.h"

namespace pharmex::platform {

namespace {

// The largest count one ReadFile or WriteFile call is given.
constexpr size_t kMaxTransfer = 1u << 30;

OVERLAPPED at(uint64_t offset) {
  OVERLAPPED position{};
  position.Offset = static_cast<DWORD>(offset);
  position.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return position;
}

bool fits(uint64_t offset, uint64_t length) {
  constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<LONGLONG>::max());
  return offset <= kMax && length <= kMax - offset;
}

DWORD desired_access(FileAccess access) {
  return access == FileAccess::kReadWrite ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
}

DWORD share_mode(FileSharing sharing) {
  return sharing == FileSharing::kShared ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
}

// Opens an existing regular file; INVALID_HANDLE_VALUE on any refusal.
HANDLE open_handle(const std::wstring& path, DWORD access, DWORD share, DWORD disposition) {
  HANDLE handle = ::CreateFileW(path.c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return handle;
  if (::GetFileType(handle) != FILE_TYPE_DISK) {  // a device such as CON or a pipe
    ::CloseHandle(handle);
    return INVALID_HANDLE_VALUE;
  }
  return handle;
}

// What identifies a file and its contents' length, to tell whether a file
// seen again is the one seen before.
struct Identity {
  DWORD volume = 0;
  DWORD index_high = 0;
  DWORD index_low = 0;
  DWORD size_high = 0;
  DWORD size_low = 0;
  bool operator==(const Identity&) const = default;
};

bool identify(HANDLE handle, Identity& identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!::GetFileInformationByHandle(handle, &info)) return false;
  identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow,
              info.nFileSizeHigh, info.nFileSizeLow};
  return true;
}

class Win32File final : public File {
 public:
  Win32File(HANDLE handle, std::wstring path, FileAccess access)
      : handle_(handle), path_(std::move(path)), access_(access) {}
  ~Win32File() override { close(); }

  std::optional<size_t> read_at(uint64_t offset, std::span<char> buffer) override {
    if (!open() || !fits(offset, buffer.size())) return std::nullopt;
    size_t done = 0;
    while (done < buffer.size()) {
      OVERLAPPED position = at(offset + done);
      DWORD count = 0;
      DWORD wanted = static_cast<DWORD>(std::min(buffer.size() - done, kMaxTransfer));
      if (!::ReadFile(handle_, buffer.data() + done, wanted, &count, &position)) {
        if (::GetLastError() == ERROR_HANDLE_EOF) break;
        return std::nullopt;
      }
      if (count == 0) break;  // end of file
      done += count;
    }
    return done;
  }

  std::optional<size_t> write_at(uint64_t offset, std::span<const char> data) override {
    if (!open() || !fits(offset, data.size())) return std::nullopt;
    size_t done = 0;
    while (done < data.size()) {
      OVERLAPPED position = at(offset + done);
      DWORD count = 0;
      DWORD wanted = static_cast<DWORD>(std::min(data.size() - done, kMaxTransfer));
      if (!::WriteFile(handle_, data.data() + done, wanted, &count, &position) || count == 0) {
        break;  // the caller sees the short count
      }
      done += count;
    }
    if (done == 0 && !data.empty()) return std::nullopt;
    return done;
  }

  std::optional<uint64_t> size() override {
    LARGE_INTEGER size;
    if (!open() || !::GetFileSizeEx(handle_, &size)) return std::nullopt;
    return static_cast<uint64_t>(size.QuadPart);
  }

  bool sync() override { return open() && ::FlushFileBuffers(handle_) != 0; }

  bool truncate(uint64_t size) override {
    if (!open() || !fits(size, 0)) return false;
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(size);
    return ::SetFilePointerEx(handle_, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(handle_);
  }

  bool try_lock(uint64_t offset, uint64_t length) override {
    if (!open() || !fits(offset, length)) return false;
    if (length == 0) return true;  // as on POSIX: an empty range holds nothing
    // A read-only handle takes a shared lock: it keeps writers out of the
    // range, and other readers may share it.
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY;
    if (access_ == FileAccess::kReadWrite) flags |= LOCKFILE_EXCLUSIVE_LOCK;
    OVERLAPPED position = at(offset);
    return ::LockFileEx(handle_, flags, 0, static_cast<DWORD>(length),
                        static_cast<DWORD>(length >> 32), &position) != 0;
  }

  bool unlock(uint64_t offset, uint64_t length) override {
    if (!open() || !fits(offset, length)) return false;
    if (length == 0) return true;
    OVERLAPPED position = at(offset);
    return ::UnlockFileEx(handle_, 0, static_cast<DWORD>(length), static_cast<DWORD>(length >> 32),
                          &position) != 0;
  }

  bool share() override {
    // Windows fixes a handle's share mode when it is opened, so the claim is
    // handed over by closing the exclusive handle and opening a shared one
    // at once. Somebody could slip in between: the file seen afterwards must
    // be the same file with the same length, or the claim counts as lost.
    if (!open()) return false;
    Identity before;
    if (!identify(handle_, before)) return false;
    ::CloseHandle(handle_);
    handle_ = open_handle(path_, desired_access(access_), share_mode(FileSharing::kShared),
                          OPEN_EXISTING);
    Identity after;
    return open() && identify(handle_, after) && after == before;
  }

  void close() override {
    if (!open()) return;
    ::CloseHandle(handle_);  // releases the locks of this handle and its share claim
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  bool open() const { return handle_ != INVALID_HANDLE_VALUE; }

  HANDLE handle_;
  std::wstring path_;
  FileAccess access_;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> open(std::string_view path, FileAccess access,
                             FileSharing sharing) override {
    std::wstring native = wide_path(path);
    HANDLE handle = open_handle(native, desired_access(access), share_mode(sharing), OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(handle, std::move(native), access);
  }

  bool create(std::string_view path) override {
    // Opened without sharing first and cut only then: a file somebody has
    // open is refused, never cut under its user.
    HANDLE handle = open_handle(wide_path(path), GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS);
    if (handle == INVALID_HANDLE_VALUE) return false;
    bool ok = ::SetEndOfFile(handle) != 0;  // the new handle stands at offset 0
    return ::CloseHandle(handle) && ok;
  }

  std::unique_ptr<File> create_new(std::string_view path) override {
    // CREATE_NEW without sharing makes the file and claims it in one step.
    std::wstring native = wide_path(path);
    HANDLE handle = open_handle(native, GENERIC_READ | GENERIC_WRITE,
                                share_mode(FileSharing::kExclusive), CREATE_NEW);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32File>(handle, std::move(native), FileAccess::kReadWrite);
  }

  bool rename(std::string_view from, std::string_view to) override {
    return ::MoveFileExW(wide_path(from).c_str(), wide_path(to).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }

  bool rename_if_unused(std::string_view from, std::string_view to) override {
    // MoveFileExW itself refuses to move or replace a file that is open
    // without delete sharing.
    return rename(from, to);
  }

  bool exists(std::string_view path) override { return file_exists(path); }

  bool remove(std::string_view path) override {
    // Refused for a file that is open without delete sharing.
    return ::DeleteFileW(wide_path(path).c_str()) != 0;
  }

  std::vector<std::string> file_names(std::string_view folder) override {
    return files_in_folder(folder);
  }
};

}  // namespace

FileSystem& win32_file_system() {
  static Win32FileSystem instance;
  return instance;
}

}  // namespace pharmex::platform
