#include "platform/win32_folder_list.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/folder_order.h"
#include "platform/paths.h"
#include "platform/toolkit_file_name.h"
#include "platform/win32_text.h"

namespace pharmex::platform {

namespace {

enum Column { kName, kSize, kWritten };

// Sizes as Explorer shows them: whole kilobytes, rounded up.
std::wstring size_text(const Win32FolderItem& item) {
  if (item.folder) return L"";
  uint64_t kilobytes = (item.size + 1023) / 1024;
  std::wstring digits = std::to_wstring(kilobytes);
  std::wstring grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped.push_back(L'\u00A0');
    grouped.push_back(digits[i]);
  }
  return grouped + L" \u041A\u0411";  // "КБ"
}

// The local date and time in the user's short formats.
std::wstring written_text(const FILETIME& written) {
  FILETIME local;
  SYSTEMTIME time;
  if (!::FileTimeToLocalFileTime(&written, &local) || !::FileTimeToSystemTime(&local, &time)) {
    return L"";
  }
  wchar_t date[64] = {};
  wchar_t clock[64] = {};
  ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 64);
  ::GetTimeFormatW(LOCALE_USER_DEFAULT, TIME_NOSECONDS, &time, nullptr, clock, 64);
  return std::wstring(date) + L" " + clock;
}

void add_column(HWND list, int index, const wchar_t* title, int width, int format) {
  LVCOLUMNW column = {};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
  column.fmt = format;
  column.cx = width;
  column.pszText = const_cast<wchar_t*>(title);
  column.iSubItem = index;
  ::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&column));
}

// The shell's small icon for a folder or for a file of that name's type, as
// an index into the system's image list; -1 when the shell has none.
int shell_icon(const std::wstring& name, bool folder) {
  SHFILEINFOW info = {};
  if (!::SHGetFileInfoW(name.c_str(), folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL,
                        &info, sizeof info,
                        SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES)) {
    return -1;
  }
  return info.iIcon;
}

}  // namespace

void Win32FolderList::attach(HWND list) {
  list_ = list;
  // The system's small icons (the list shares them: LVS_SHAREIMAGELISTS).
  SHFILEINFOW info = {};
  auto images = reinterpret_cast<HIMAGELIST>(
      ::SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                       SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES));
  if (images != nullptr) {
    ::SendMessageW(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  }
  HDC screen = ::GetDC(nullptr);
  int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  add_column(list_, kName, L"\u0418\u043C\u044F", ::MulDiv(240, dpi, 96), LVCFMT_LEFT);  // "Имя"
  add_column(list_, kSize, L"\u0420\u0430\u0437\u043C\u0435\u0440", ::MulDiv(80, dpi, 96),
             LVCFMT_RIGHT);  // "Размер"
  add_column(list_, kWritten, L"\u0418\u0437\u043C\u0435\u043D\u0451\u043D", ::MulDiv(120, dpi, 96),
             LVCFMT_LEFT);  // "Изменён"
  ::SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
}

void Win32FolderList::set_filter(std::string_view mask) {
  filter_ = mask;
  refresh();
}

bool Win32FolderList::open(std::string_view path) {
  std::string target = resolve_in_folder(folder_, path);
  if (!can_enter_directory(target)) return false;
  folder_ = std::move(target);
  refresh();
  if (on_folder_changed_) on_folder_changed_();
  return true;
}

bool Win32FolderList::go_up() {
  // At a root ".." names the root itself: there is nothing above.
  if (folder_.empty() || resolve_in_folder(folder_, "..") == folder_) return false;
  return open("..");
}

void Win32FolderList::refresh() {
  items_.clear();
  if (!folder_.empty()) {
    std::string pattern = folder_;
    if (!is_path_separator(pattern.back())) pattern.push_back(path_separator());
    pattern.push_back('*');
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(wide_path(pattern).c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
        std::string name = ansi_text(found.cFileName);
        if (name.empty() || name == "." || name == "..") continue;
        bool is_folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (!is_folder && !matches_mask(name, filter_)) continue;
        uint64_t size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
        items_.push_back({std::move(name), is_folder, size, found.ftLastWriteTime});
      } while (::FindNextFileW(search, &found));
      ::FindClose(search);
    }
    std::sort(items_.begin(), items_.end(), listed_before<Win32FolderItem>);
  }
  if (list_ == nullptr) return;
  filling_ = true;
  ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  ::SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
  for (size_t i = 0; i < items_.size(); ++i) {
    const Win32FolderItem& listed = items_[i];
    std::wstring name = wide_text(listed.name);
    LVITEMW row = {};
    row.mask = LVIF_TEXT | LVIF_PARAM;
    row.iItem = static_cast<int>(i);
    row.pszText = name.data();
    row.lParam = static_cast<LPARAM>(i);
    if (int icon = shell_icon(name, listed.folder); icon >= 0) {
      row.mask |= LVIF_IMAGE;
      row.iImage = icon;
    }
    int index =
        static_cast<int>(::SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
    std::wstring size = size_text(listed);
    std::wstring written = written_text(listed.written);
    LVITEMW cell = {};
    cell.iSubItem = kSize;
    cell.pszText = size.data();
    ::SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&cell));
    cell.iSubItem = kWritten;
    cell.pszText = written.data();
    ::SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(&cell));
  }
  ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  ::InvalidateRect(list_, nullptr, TRUE);
  filling_ = false;
}

const Win32FolderItem* Win32FolderList::item(int index) const {
  if (list_ == nullptr || index < 0) return nullptr;
  LVITEMW row = {};
  row.mask = LVIF_PARAM;
  row.iItem = index;
  if (!::SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&row))) return nullptr;
  size_t at = static_cast<size_t>(row.lParam);
  return at < items_.size() ? &items_[at] : nullptr;
}

const Win32FolderItem* Win32FolderList::selected() const {
  if (list_ == nullptr) return nullptr;
  int index = static_cast<int>(
      ::SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  return item(index);
}

}  // namespace pharmex::platform
