// TOpenFileList: every disk file of the process that is open right now. A
// file enters the list when it is opened and leaves it when it is closed; when
// the library is unloaded (or the process ends) every file still listed is
// unlocked and closed, so no lock outlives the code that took it.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace pharmex::dbf {

class TDiskFile;

class TOpenFileList {
 public:
  static TOpenFileList& Instance();

  TOpenFileList(const TOpenFileList&) = delete;
  TOpenFileList& operator=(const TOpenFileList&) = delete;
  // Closes what is still listed.
  ~TOpenFileList();

  // Enter and leave the list. Safe to call while the process shuts down: once
  // the list itself is gone they do nothing.
  static void Enter(TDiskFile* file);
  static void Leave(TDiskFile* file);

  bool Contains(const TDiskFile* file) const;
  size_t Count() const;
  // Unlocks and closes every listed file, swallowing failures: this runs when
  // nobody is left to report them to.
  void CloseAll() noexcept;

 private:
  TOpenFileList() = default;
  void Add(TDiskFile* file);
  void Remove(TDiskFile* file);

  mutable std::mutex mutex_;
  std::vector<TDiskFile*> files_;
};

}  // namespace pharmex::dbf
