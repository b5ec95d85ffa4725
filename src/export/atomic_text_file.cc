#include "export/atomic_text_file.h"

#include <unistd.h>

#include <atomic>
#include <span>
#include <utility>

#include "core/error.h"
#include "platform/paths.h"

namespace pharmex::exporting {

namespace {

constexpr size_t kBufferSize = 64 * 1024;

// ".name.~pharmex-<pid>-<n>" in the target's folder: hidden, unique within
// the process, and on the same file system so the final rename is atomic.
std::string temporary_name(std::string_view target) {
  static std::atomic<unsigned> counter{0};
  std::string name(platform::extract_file_path(target));
  name += '.';
  name += platform::extract_file_name(target);
  name += ".~pharmex-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
  return name;
}

}  // namespace

AtomicTextFile::AtomicTextFile(std::string target, platform::FileSystem& file_system)
    : files_(file_system), target_(std::move(target)) {
  platform::FileSystem& files = files_;
  // The rename would replace a target that may not be written (read-only,
  // or held exclusively by its reader) as if it were free: refuse it as
  // writing it in place would.
  if (files.exists(target_) &&
      !files.open(target_, platform::FileAccess::kReadWrite, platform::FileSharing::kShared)) {
    raise<Error>("Cannot create file %s", {target_});
  }
  temporary_ = temporary_name(target_);
  if (files.create(temporary_)) {
    file_ =
        files.open(temporary_, platform::FileAccess::kReadWrite, platform::FileSharing::kExclusive);
  }
  if (!file_) {
    files.remove(temporary_);
    raise<Error>("Cannot create file %s", {target_});
  }
  buffer_.reserve(kBufferSize);
}

AtomicTextFile::~AtomicTextFile() {
  if (committed_) return;
  if (file_) file_->close();
  files_.remove(temporary_);
}

void AtomicTextFile::write(std::string_view bytes) {
  if (buffer_.size() + bytes.size() > kBufferSize) flush_buffer();
  if (bytes.size() >= kBufferSize) {
    std::optional<size_t> count = file_->write_at(written_, std::span(bytes.data(), bytes.size()));
    if (!count || *count != bytes.size()) raise<Error>("Error writing to %s", {target_});
    written_ += bytes.size();
    return;
  }
  buffer_.append(bytes);
}

void AtomicTextFile::write_line(std::string_view line) {
  write(line);
  write("\r\n");
}

void AtomicTextFile::flush_buffer() {
  if (buffer_.empty()) return;
  std::optional<size_t> count =
      file_->write_at(written_, std::span(buffer_.data(), buffer_.size()));
  if (!count || *count != buffer_.size()) raise<Error>("Error writing to %s", {target_});
  written_ += buffer_.size();
  buffer_.clear();
}

void AtomicTextFile::commit() {
  flush_buffer();
  if (!file_->sync()) raise<Error>("Error writing to %s", {target_});
  file_->close();
  if (!files_.rename(temporary_, target_)) {
    raise<Error>("Cannot create file %s", {target_});
  }
  committed_ = true;
}

}  // namespace pharmex::exporting
