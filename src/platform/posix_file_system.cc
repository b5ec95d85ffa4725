// The POSIX backend of the file system.
//
// Windows shares a file by the access each opener grants the others; here that
// is emulated with flock(2): a shared opener holds LOCK_SH, an exclusive one
// LOCK_EX, always without waiting, so an exclusive opener and anybody else
// refuse each other. Byte-range locks are open-file-description locks
// (F_OFD_SETLK): they belong to one open file, not to the process, so two
// files opened on one path inside one process conflict as they do on Windows,
// and closing one file never drops the locks of another. flock and fcntl locks
// do not interact on Linux, so the sharing claim never blocks a range lock.
//
// Windows also refuses to remove or move a file somebody has open (without
// delete sharing, which this library never grants). remove() and
// rename_if_unused() ask the files' claims the same way: they hold them
// exclusively for the moment they work, and are refused while anyone has one
// of the files open through the library. rename() itself replaces and moves files
// whoever has them open, as POSIX does: a text file rewritten in place while
// it is still being read keeps its reader on the old bytes.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/paths.h"

namespace pharmex::platform {

namespace {

template <class Call>
auto retry_on_eintr(Call call) {
  for (;;) {
    auto result = call();
    if (result != -1 || errno != EINTR) return result;
  }
}

bool fits_off_t(uint64_t offset, uint64_t length) {
  constexpr auto kMax = static_cast<uint64_t>(std::numeric_limits<off_t>::max());
  return offset <= kMax && length <= kMax - offset;
}

class PosixFile final : public File {
 public:
  PosixFile(int fd, FileAccess access) : fd_(fd), access_(access) {}
  ~PosixFile() override { close(); }

  std::optional<size_t> read_at(uint64_t offset, std::span<char> buffer) override {
    if (fd_ < 0 || !fits_off_t(offset, buffer.size())) return std::nullopt;
    size_t done = 0;
    while (done < buffer.size()) {
      ssize_t n = retry_on_eintr([&] {
        return ::pread(fd_, buffer.data() + done, buffer.size() - done,
                       static_cast<off_t>(offset + done));
      });
      if (n < 0) return std::nullopt;
      if (n == 0) break;  // end of file
      done += static_cast<size_t>(n);
    }
    return done;
  }

  std::optional<size_t> write_at(uint64_t offset, std::span<const char> data) override {
    if (fd_ < 0 || !fits_off_t(offset, data.size())) return std::nullopt;
    size_t done = 0;
    while (done < data.size()) {
      ssize_t n = retry_on_eintr([&] {
        return ::pwrite(fd_, data.data() + done, data.size() - done,
                        static_cast<off_t>(offset + done));
      });
      if (n <= 0) break;  // the caller sees the short count
      done += static_cast<size_t>(n);
    }
    if (done == 0 && !data.empty()) return std::nullopt;
    return done;
  }

  std::optional<uint64_t> size() override {
    struct stat info {};
    if (fd_ < 0 || ::fstat(fd_, &info) != 0) return std::nullopt;
    return static_cast<uint64_t>(info.st_size);
  }

  bool sync() override {
    return fd_ >= 0 && retry_on_eintr([&] { return ::fsync(fd_); }) == 0;
  }

  bool truncate(uint64_t size) override {
    if (fd_ < 0 || !fits_off_t(size, 0)) return false;
    return retry_on_eintr([&] { return ::ftruncate(fd_, static_cast<off_t>(size)); }) == 0;
  }

  bool try_lock(uint64_t offset, uint64_t length) override {
    // A read-only descriptor cannot hold a write lock; its read lock still
    // keeps writers out of the range.
    short type = access_ == FileAccess::kReadWrite ? F_WRLCK : F_RDLCK;
    return set_lock(type, offset, length);
  }

  bool unlock(uint64_t offset, uint64_t length) override {
    return set_lock(F_UNLCK, offset, length);
  }

  bool share() override {
    // flock converts the claim of this open file in place. Should another
    // claim ever slip in while it does, the conversion fails and says so:
    // the file is then no longer ours to hand on.
    return fd_ >= 0 && retry_on_eintr([&] { return ::flock(fd_, LOCK_SH | LOCK_NB); }) == 0;
  }

  void close() override {
    if (fd_ < 0) return;
    ::close(fd_);  // releases the flock claim and every range lock of this file
    fd_ = -1;
  }

 private:
  bool set_lock(short type, uint64_t offset, uint64_t length) {
    if (fd_ < 0 || !fits_off_t(offset, length)) return false;
    if (length == 0) return true;  // fcntl would read 0 as "to the end of the file"
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = static_cast<off_t>(offset);
    range.l_len = static_cast<off_t>(length);
    range.l_pid = 0;  // required for open-file-description locks
    return retry_on_eintr([&] { return ::fcntl(fd_, F_OFD_SETLK, &range); }) == 0;
  }

  int fd_;
  FileAccess access_;
};

// True when `path` still names the file open at `fd`: nobody renamed
// another file over it, or removed it, since it was opened.
bool still_at(int fd, const std::string& native) {
  struct stat held {
  }, named{};
  return ::fstat(fd, &held) == 0 && ::stat(native.c_str(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Takes the sharing claim on an open regular file and makes it block again.
bool claim(int fd, FileSharing sharing) {
  struct stat info {};
  int kind = sharing == FileSharing::kShared ? LOCK_SH : LOCK_EX;
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
         retry_on_eintr([&] { return ::flock(fd, kind | LOCK_NB); }) == 0 &&
         ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0;
}

// How often an opening is tried again when the file at its path was
// replaced between the open and the claim.
constexpr int kReopenAttempts = 50;

// Opens a regular file without blocking on anything else (a FIFO would block
// a plain open) and takes its sharing claim. -1 on any refusal.
//
// The claim is taken on the file that was opened; should another file have
// been renamed over the path (a table put in its place) or the file removed
// in between, the claim would hold a file nobody finds under that name any
// more, so the path is opened again. That keeps a reader from holding an old
// table while it finds the new one's memo file beside it.
int open_claimed(const std::string& native, int flags, FileSharing sharing) {
  for (int attempt = 0; attempt < kReopenAttempts; ++attempt) {
    int fd = retry_on_eintr(
        [&] { return ::open(native.c_str(), flags | O_CLOEXEC | O_NONBLOCK, 0666); });
    if (fd < 0) return -1;
    if (!claim(fd, sharing)) {
      ::close(fd);
      return -1;
    }
    if (still_at(fd, native)) return fd;
    ::close(fd);
  }
  return -1;
}

class PosixFileSystem final : public FileSystem {
 public:
  std::unique_ptr<File> open(std::string_view path, FileAccess access,
                             FileSharing sharing) override {
    int flags = access == FileAccess::kReadWrite ? O_RDWR : O_RDONLY;
    int fd = open_claimed(native_path(path), flags, sharing);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixFile>(fd, access);
  }

  bool create(std::string_view path) override {
    // No O_TRUNC: the file is cut only after the exclusive claim is granted.
    int fd = open_claimed(native_path(path), O_RDWR | O_CREAT, FileSharing::kExclusive);
    if (fd < 0) return false;
    bool ok = retry_on_eintr([&] { return ::ftruncate(fd, 0); }) == 0;
    return ::close(fd) == 0 && ok;
  }

  std::unique_ptr<File> create_new(std::string_view path) override {
    // open and flock are two steps: somebody removing the new file in
    // between (a run clearing what it takes for left-overs) holds it, or has
    // taken it away. The file is then made again, or found there.
    const std::string native = native_path(path);
    for (int attempt = 0; attempt < kReopenAttempts; ++attempt) {
      int fd = retry_on_eintr([&] {
        return ::open(native.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NONBLOCK, 0666);
      });
      if (fd < 0) return nullptr;
      if (claim(fd, FileSharing::kExclusive) && still_at(fd, native)) {
        return std::make_unique<PosixFile>(fd, FileAccess::kReadWrite);
      }
      ::close(fd);
    }
    return nullptr;
  }

  bool rename(std::string_view from, std::string_view to) override {
    return ::rename(native_path(from).c_str(), native_path(to).c_str()) == 0;
  }

  bool rename_if_unused(std::string_view from, std::string_view to) override {
    // The exclusive claims keep every opener out until the files have their
    // new names; an opener that got a file before the claim finds it moved
    // when it claims (open_claimed) and opens the path again.
    const std::string source = native_path(from);
    const std::string target = native_path(to);
    int moved = open_claimed(source, O_RDONLY, FileSharing::kExclusive);
    if (moved < 0) return false;
    int replaced = -1;
    if (file_exists(to)) {
      replaced = open_claimed(target, O_RDONLY, FileSharing::kExclusive);
      if (replaced < 0) {
        ::close(moved);
        return false;
      }
    }
    bool ok = ::rename(source.c_str(), target.c_str()) == 0;
    if (replaced >= 0) ::close(replaced);
    ::close(moved);
    return ok;
  }

  bool exists(std::string_view path) override { return file_exists(path); }

  bool remove(std::string_view path) override {
    const std::string native = native_path(path);
    int fd = open_claimed(native, O_RDONLY, FileSharing::kExclusive);
    if (fd < 0) {
      // A file we may not read has no claim we could ask; anything else
      // refused is in use (or not there, or no regular file).
      if (!file_exists(path) || ::access(native.c_str(), R_OK) == 0) return false;
      return ::unlink(native.c_str()) == 0;
    }
    // Unlinked while the claim is held: nobody gets hold of it in between.
    bool ok = ::unlink(native.c_str()) == 0;
    ::close(fd);
    return ok;
  }

  std::vector<std::string> file_names(std::string_view folder) override {
    return files_in_folder(folder);
  }
};

}  // namespace

FileSystem& posix_file_system() {
  static PosixFileSystem instance;
  return instance;
}

}  // namespace pharmex::platform
