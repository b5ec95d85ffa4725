#include "export/atomic_text_file.h"

#include <span>
#include <utility>

#include "core/error.h"

namespace pharmex::exporting {

namespace {

constexpr size_t kBufferSize = 64 * 1024;

}  // namespace

AtomicTextFile::AtomicTextFile(std::string target, platform::FileSystem& file_system)
    : files_(file_system), target_(std::move(target)) {
  // The rename would replace a target that may not be written (read-only,
  // or held exclusively by its reader) as if it were free: refuse it as
  // writing it in place would.
  if (!platform::StagedFiles::may_replace(files_, target_)) {
    raise<Error>("Cannot create file %s", {target_});
  }
  staged_ = platform::StagedFiles::claim_beside(files_, target_);
  if (staged_) {
    temporary_ = staged_->path("text");
    file_ = files_.create_new(temporary_);
  }
  if (!file_) raise<Error>("Cannot create file %s", {target_});
  buffer_.reserve(kBufferSize);
}

AtomicTextFile::~AtomicTextFile() {
  // Closed before the staged files go: an uncommitted file goes with them.
  if (file_) file_->close();
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
}

}  // namespace pharmex::exporting
