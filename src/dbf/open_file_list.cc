#include "dbf/open_file_list.h"

#include <algorithm>
#include <atomic>

#include "dbf/disk_file.h"

namespace pharmex::dbf {

namespace {

// Trivially destructible, so it stays readable while other statics go away.
std::atomic<bool> g_list_gone{false};

}  // namespace

TOpenFileList& TOpenFileList::Instance() {
  static TOpenFileList list;
  return list;
}

TOpenFileList::~TOpenFileList() {
  CloseAll();
  g_list_gone.store(true);
}

void TOpenFileList::Enter(TDiskFile* file) {
  if (!g_list_gone.load()) Instance().Add(file);
}

void TOpenFileList::Leave(TDiskFile* file) {
  if (!g_list_gone.load()) Instance().Remove(file);
}

void TOpenFileList::Add(TDiskFile* file) {
  std::lock_guard<std::mutex> guard(mutex_);
  if (std::find(files_.begin(), files_.end(), file) == files_.end()) files_.push_back(file);
}

void TOpenFileList::Remove(TDiskFile* file) {
  std::lock_guard<std::mutex> guard(mutex_);
  files_.erase(std::remove(files_.begin(), files_.end(), file), files_.end());
}

bool TOpenFileList::Contains(const TDiskFile* file) const {
  std::lock_guard<std::mutex> guard(mutex_);
  return std::find(files_.begin(), files_.end(), file) != files_.end();
}

size_t TOpenFileList::Count() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return files_.size();
}

void TOpenFileList::CloseAll() noexcept {
  std::vector<TDiskFile*> open;
  {
    std::lock_guard<std::mutex> guard(mutex_);
    open.swap(files_);
  }
  for (TDiskFile* file : open)
    file->CloseQuietly();
}

}  // namespace pharmex::dbf
