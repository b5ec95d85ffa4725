#include "platform/file_settings_store.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "core/error.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

namespace pharmex::platform {

namespace {

// An open file descriptor, closed when it goes away (which also drops a
// flock taken through it).
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now, reporting the result (a write error may surface only here).
  bool close() { return ::close(std::exchange(fd_, -1)) == 0; }

 private:
  int fd_;
};

bool read_all(int fd, std::string& out) {
  char buffer[8192];
  for (off_t offset = 0;;) {
    ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    out.append(buffer, static_cast<size_t>(n));
    offset += n;
  }
}

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

bool lock_exclusive(int fd) {
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

std::string folder_of(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes a rename or a new link in the folder durable.
void sync_folder(const std::string& folder) {
  Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.valid()) ::fsync(fd.get());  // best effort: the file itself is already synced
}

// mkdir -p; the folders hold one user's settings, so only they may enter.
bool make_folders(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return true;
    errno = ENOTDIR;
    return false;
  }
  if (errno != ENOENT) return false;
  if (path.find('/') != std::string::npos && !make_folders(folder_of(path))) return false;
  return ::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST;
}

// Writes `bytes` to a new temporary file next to `path`, synced to disk; returns
// its path, or "" with errno set.
std::string write_temporary(const std::string& path, std::string_view bytes, mode_t mode) {
  std::string folder = folder_of(path);
  std::string temp = folder + "/." + path.substr(folder.size() + 1) + ".XXXXXX";
  Descriptor fd(::mkostemp(temp.data(), O_CLOEXEC));
  if (!fd.valid()) return std::string();
  bool ok = write_all(fd.get(), bytes) && ::fchmod(fd.get(), mode) == 0 && ::fsync(fd.get()) == 0 &&
            fd.close();
  if (ok) return temp;
  int saved = errno;
  ::unlink(temp.c_str());
  errno = saved;
  return std::string();
}

std::string system_message(int error) {
  return std::strerror(error);
}

std::string home_folder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  struct passwd entry {};
  struct passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir != nullptr && *found->pw_dir != '\0')
    return found->pw_dir;
  return std::string();
}

std::string without_trailing_slashes(std::string path) {
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  return path;
}

}  // namespace

FileSettingsStore::FileSettingsStore(std::string root)
    : root_(without_trailing_slashes(std::move(root))) {}

std::string FileSettingsStore::default_root() {
  if (const char* root = std::getenv("PHARMEX_REGISTRY"); root != nullptr && *root != '\0')
    return root;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/')
    return without_trailing_slashes(config) + "/pharmex/registry";
  std::string home = home_folder();
  if (home.empty()) raise<SettingsError>("Cannot find the settings folder: HOME is not set");
  return without_trailing_slashes(home) + "/.config/pharmex/registry";
}

std::string FileSettingsStore::key_file(std::string_view key) const {
  if (!is_valid_key_name(key)) return std::string();
  std::string relative = text_codec().ansi_to_utf8(key);
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  return (root_ == "/" ? root_ : root_ + "/") + relative + ".reg";
}

bool FileSettingsStore::key_exists(std::string_view key) {
  std::string path = key_file(key);
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::optional<KeyFile> FileSettingsStore::load(std::string_view key) const {
  std::string path = key_file(key);
  if (path.empty()) return std::nullopt;
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.valid() && (errno == ENOENT || errno == ENOTDIR)) return std::nullopt;
  std::string bytes;
  if (!fd.valid() || !read_all(fd.get(), bytes)) {
    raise<SettingsError>("Cannot read settings file %s: %s",
                         {ansi_path(path), system_message(errno)});
  }
  return KeyFile::parse(text_codec().ansi_to_utf8(key), bytes, ansi_path(path));
}

std::optional<SettingsValue> FileSettingsStore::read_value(std::string_view key,
                                                           std::string_view name) {
  std::optional<KeyFile> file = load(key);
  if (!file) return std::nullopt;
  const SettingsValue* value = file->find(text_codec().ansi_to_utf8(name));
  if (value == nullptr) return std::nullopt;
  SettingsValue out = *value;
  if (out.type == SettingsType::kString) out.data = text_codec().utf8_to_ansi(out.data);
  return out;
}

std::vector<NamedSettingsValue> FileSettingsStore::read_values(std::string_view key) {
  std::vector<NamedSettingsValue> out;
  std::optional<KeyFile> file = load(key);
  if (!file) return out;
  out = file->values();
  for (NamedSettingsValue& value : out) {
    value.name = text_codec().utf8_to_ansi(value.name);
    if (value.value.type == SettingsType::kString)
      value.value.data = text_codec().utf8_to_ansi(value.value.data);
  }
  return out;
}

void FileSettingsStore::write_value(std::string_view key, std::string_view name,
                                    const SettingsValue& value) {
  SettingsValue stored = value;
  if (stored.type == SettingsType::kString) stored.data = text_codec().ansi_to_utf8(value.data);
  std::string stored_name = text_codec().ansi_to_utf8(name);
  const char* failure = "Failed to set data for '%s'";
  auto written = update(key, name, failure, [&](KeyFile& file) {
    file.set(stored_name, stored);
    return true;
  });
  if (!written) raise<SettingsError>(failure, {name});
}

bool FileSettingsStore::delete_value(std::string_view key, std::string_view name) {
  std::string stored_name = text_codec().ansi_to_utf8(name);
  auto deleted = update(key, name, "Failed to delete value '%s'",
                        [&](KeyFile& file) { return file.erase(stored_name); });
  return deleted.value_or(false);
}

std::optional<bool> FileSettingsStore::update(std::string_view key, std::string_view name,
                                              const char* failure,
                                              const std::function<bool(KeyFile&)>& edit) const {
  std::string path = key_file(key);
  if (path.empty()) return std::nullopt;
  auto fail = [&](int error) {
    raise<SettingsError>(std::string(failure) + " (%s: %s)",
                         {name, ansi_path(path), system_message(error)});
  };
  // Another writer may rename a new file over the path between our open and
  // our lock; the lock then guards a file nobody reads any more. So, once
  // locked, make sure the descriptor is still the file at the path.
  while (true) {
    Descriptor fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd.valid() && (errno == ENOENT || errno == ENOTDIR)) return std::nullopt;
    if (!fd.valid() || !lock_exclusive(fd.get())) fail(errno);
    struct stat locked {
    }, current{};
    if (::fstat(fd.get(), &locked) != 0) fail(errno);
    if (::stat(path.c_str(), &current) != 0) {
      if (errno == ENOENT) continue;  // removed: the next open finds the key missing
      fail(errno);
    }
    if (locked.st_ino != current.st_ino || locked.st_dev != current.st_dev) continue;

    std::string bytes;
    if (!read_all(fd.get(), bytes)) fail(errno);
    KeyFile file = KeyFile::parse(text_codec().ansi_to_utf8(key), bytes, ansi_path(path));
    if (!edit(file)) return false;
    std::string temp = write_temporary(path, file.serialize(), locked.st_mode & 07777);
    if (temp.empty()) fail(errno);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
      int error = errno;
      ::unlink(temp.c_str());
      fail(error);
    }
    sync_folder(folder_of(path));
    return true;  // closing `fd` releases the lock, after the new file is in place
  }
}

void FileSettingsStore::create_key(std::string_view key) {
  if (!is_valid_key_name(key)) raise<SettingsError>("Failed to create key '%s'", {key});
  // Every key from the top down, as the registry creates missing parents.
  for (size_t end = key.find('\\');; end = key.find('\\', end + 1)) {
    std::string_view part = key.substr(0, end);
    std::string path = key_file(part);
    std::string failed_path = folder_of(path);
    int error = make_folders(failed_path) ? 0 : errno;
    if (error == 0) {
      failed_path = path;
      error = create_one(part, path);
    }
    if (error != 0) {
      raise<SettingsError>("Failed to create key '%s' (%s: %s)",
                           {key, ansi_path(failed_path), system_message(error)});
    }
    if (end == std::string_view::npos) break;
  }
}

int FileSettingsStore::create_one(std::string_view key, const std::string& path) const {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0) return S_ISREG(info.st_mode) ? 0 : EISDIR;
  // link() puts the finished file in place only if none is there yet, so a
  // key another process created (and perhaps wrote to) meanwhile is kept.
  std::string text = KeyFile(text_codec().ansi_to_utf8(key)).serialize();
  std::string temp = write_temporary(path, text, 0600);
  if (temp.empty()) return errno;
  int error = ::link(temp.c_str(), path.c_str()) == 0 || errno == EEXIST ? 0 : errno;
  ::unlink(temp.c_str());
  if (error == 0) sync_folder(folder_of(path));
  return error;
}

}  // namespace pharmex::platform
