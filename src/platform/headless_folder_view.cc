#include "platform/headless_folder_view.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/folder_order.h"
#include "platform/paths.h"
#include "platform/toolkit_file_name.h"

namespace pharmex::platform {

bool HeadlessFolderView::open(std::string_view path) {
  std::string target = resolve_in_folder(folder_, path);
  if (!can_enter_directory(target)) return false;
  folder_ = std::move(target);
  return true;
}

bool HeadlessFolderView::go_up() {
  // At a root ".." names the root itself: there is nothing above.
  if (folder_.empty() || resolve_in_folder(folder_, "..") == folder_) return false;
  return open("..");
}

std::vector<FolderItem> HeadlessFolderView::items() const {
  namespace fs = std::filesystem;
  std::vector<FolderItem> items;
  if (folder_.empty()) return items;
  std::error_code error;
  fs::directory_iterator it(filesystem_path(folder_), error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    std::string name = ansi_file_name(it->path().filename());
    if (name.empty() || name.front() == '.') continue;
    std::error_code ignored;
    bool folder = it->is_directory(ignored);
    if (!folder && !matches_mask(name, filter_)) continue;
    items.push_back({std::move(name), folder});
  }
  std::sort(items.begin(), items.end(), listed_before<FolderItem>);
  return items;
}

}  // namespace pharmex::platform
