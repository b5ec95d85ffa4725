// Win32FolderList: the folder view of the Win32 shell form, a list-view
// control in details mode showing one folder of the file system: its
// sub-folders, then its files that match the filter mask, each with the
// shell's icon for its type, its size and the time it was last written, sorted without regard to
// case by the ANSI code page's rules (as the headless view sorts). Hidden and system entries are
// left out, as Explorer leaves them out.
//
// Navigation keeps the rules of the headless view: a folder is opened by an
// absolute path or one taken in the folder shown, and only when it can be
// entered. The list is read from the disk whenever the folder or the filter
// changes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/toolkit.h"

namespace pharmex::platform {

struct Win32FolderItem {
  std::string name;  // ANSI
  bool folder = false;
  uint64_t size = 0;
  FILETIME written = {};
};

class Win32FolderList final : public FolderView {
 public:
  // Adds the columns to the list-view control.
  void attach(HWND list);

  std::string folder() const override { return folder_; }
  std::string filter() const override { return filter_; }
  void set_filter(std::string_view mask) override;

  // Shows another folder; false, and nothing changes, when it is not a folder
  // that can be entered.
  bool open(std::string_view path);
  // Shows the parent folder; false at a root.
  bool go_up();
  // Reads the folder again.
  void refresh();

  // The item the list shows at `index` (the list's own order).
  const Win32FolderItem* item(int index) const;
  // The selected item; null when none is.
  const Win32FolderItem* selected() const;
  // True while the list is being filled (its notifications are not the user's).
  bool filling() const { return filling_; }

  // Runs after the folder shown changed.
  void set_on_folder_changed(std::function<void()> handler) {
    on_folder_changed_ = std::move(handler);
  }

 private:
  HWND list_ = nullptr;
  std::string folder_;
  std::string filter_ = "*";
  std::vector<Win32FolderItem> items_;
  std::function<void()> on_folder_changed_;
  bool filling_ = false;
};

}  // namespace pharmex::platform
