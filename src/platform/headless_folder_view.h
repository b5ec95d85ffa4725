// HeadlessFolderView: the folder view of the headless shell form. It shows a
// folder of the file system: its sub-folders, and its files that match the
// filter mask, read from the disk each time they are asked for, so the view
// follows files that appear and disappear.
//
// As a desktop file dialog does, it leaves out names starting with "." (hidden
// on Linux) and lists folders first, then files, each sorted without regard to
// case by the ANSI code page's rules. Names are ANSI (the file system's UTF-8
// names converted). A folder that cannot be read shows nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/toolkit.h"

namespace pharmex::platform {

struct FolderItem {
  std::string name;
  bool folder = false;

  bool operator==(const FolderItem&) const = default;
};

class HeadlessFolderView final : public FolderView {
 public:
  std::string folder() const override { return folder_; }
  std::string filter() const override { return filter_; }
  void set_filter(std::string_view mask) override { filter_ = mask; }

  // Shows another folder: `path` is absolute or taken in the folder shown.
  // False, and nothing changes, when it is not a folder that can be entered.
  bool open(std::string_view path);
  // Shows the parent folder; false at "/".
  bool go_up();

  std::vector<FolderItem> items() const;

 private:
  std::string folder_;
  std::string filter_ = "*";
};

}  // namespace pharmex::platform
