#include "platform/staged_files.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <random>
#include <thread>

#include "platform/paths.h"

namespace pharmex::platform {

namespace {

constexpr std::string_view kPrefix = ".~pharmex-";
constexpr size_t kIdLength = 16;
constexpr std::string_view kLockRole = "lock";
constexpr std::string_view kFolderLock = ".~pharmex.folder";

// Ids drawn until one is free: a clash of 64 random bits is not expected,
// so a few attempts tell a taken name from a folder that takes none.
constexpr int kIdAttempts = 4;

// The folder's lock is held only while a run renames a few files: waiting
// for it is as patient as waiting for a memo lock.
constexpr int kFolderLockAttempts = 100;
constexpr std::chrono::milliseconds kFolderLockPause{50};

bool is_hex_digit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

bool is_role(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < 'a' || c > 'z') return false;
  }
  return true;
}

// 16 hexadecimal digits from the system's random source: fresh in every
// process, also in one forked from another.
std::string new_id() {
  std::random_device random;
  const uint64_t value = static_cast<uint64_t>(random()) << 32 ^ random();
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string id(kIdLength, '0');
  for (size_t i = 0; i < kIdLength; ++i)
    id[i] = kDigits[value >> (60 - 4 * i) & 0xF];
  return id;
}

}  // namespace

std::string_view StagedFiles::id_of(std::string_view file_name) {
  if (!file_name.starts_with(kPrefix)) return {};
  std::string_view rest = file_name.substr(kPrefix.size());
  if (rest.size() < kIdLength + 2 || rest[kIdLength] != '.') return {};
  std::string_view id = rest.substr(0, kIdLength);
  for (char c : id) {
    if (!is_hex_digit(c)) return {};
  }
  if (!is_role(rest.substr(kIdLength + 1))) return {};
  return id;
}

std::unique_ptr<StagedFiles> StagedFiles::claim_beside(FileSystem& files, std::string_view target) {
  std::unique_ptr<StagedFiles> staged(
      new StagedFiles(files, std::string(extract_file_path(target))));
  staged->clear_left_overs();
  if (!staged->claim_id()) return nullptr;
  return staged;
}

StagedFiles::~StagedFiles() {
  if (!lock_) return;  // no id was claimed
  unlock_folder();
  for (const std::string& role : roles_)
    files_.remove(path_of(id_, role));
  lock_->close();
  files_.remove(path_of(id_, kLockRole));
}

std::string StagedFiles::path_of(std::string_view id, std::string_view role) const {
  std::string path = folder_;
  path.append(kPrefix).append(id).append(".").append(role);
  return path;
}

std::string StagedFiles::path(std::string_view role) {
  bool known = false;
  for (const std::string& kept : roles_)
    known = known || kept == role;
  if (!known) roles_.emplace_back(role);
  return path_of(id_, role);
}

bool StagedFiles::claim_id() {
  for (int attempt = 0; attempt < kIdAttempts; ++attempt) {
    std::string id = new_id();
    const std::string lock = path_of(id, kLockRole);
    lock_ = files_.create_new(lock);
    if (lock_) {
      id_ = std::move(id);
      return true;
    }
    if (!files_.exists(lock)) return false;  // the folder takes no file
  }
  return false;
}

void StagedFiles::clear_left_overs() {
  std::map<std::string, std::vector<std::string>> by_id;
  for (std::string& name : files_.file_names(extract_file_dir(folder_))) {
    std::string_view id = id_of(name);
    if (!id.empty()) by_id[std::string(id)].push_back(std::move(name));
  }
  for (const auto& [id, names] : by_id) {
    // Asked by its path, not by the listing, which may have missed a lock
    // made while it was read: a run makes its lock before any other file.
    const std::string lock = path_of(id, kLockRole);
    if (files_.exists(lock) && !files_.remove(lock)) continue;  // still writing
    for (const std::string& name : names)
      files_.remove(folder_ + name);
  }
  // A folder lock left by a run killed while it held it (refused when held).
  files_.remove(folder_ + std::string(kFolderLock));
}

bool StagedFiles::lock_folder() {
  if (folder_lock_) return true;
  const std::string path = folder_ + std::string(kFolderLock);
  for (int attempt = 1;; ++attempt) {
    folder_lock_ = files_.open(path, FileAccess::kReadWrite, FileSharing::kExclusive);
    if (!folder_lock_) folder_lock_ = files_.create_new(path);
    if (folder_lock_) return true;
    if (attempt == kFolderLockAttempts) return false;
    std::this_thread::sleep_for(kFolderLockPause);
  }
}

void StagedFiles::unlock_folder() {
  if (!folder_lock_) return;
  folder_lock_->close();
  folder_lock_.reset();
  // Refused while the next run holds it: that one removes it in turn.
  files_.remove(folder_ + std::string(kFolderLock));
}

bool StagedFiles::may_replace(FileSystem& files, std::string_view target) {
  if (!is_valid_system_path(target) || directory_exists(target)) return false;
  return !files.exists(target) ||
         files.open(target, FileAccess::kReadWrite, FileSharing::kShared) != nullptr;
}

}  // namespace pharmex::platform
