#include "platform/win32_controls.h"

#include <commctrl.h>

#include <stdexcept>

#include "platform/win32_text.h"

namespace pharmex::platform {

std::wstring window_text(HWND window) {
  int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  length = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(length > 0 ? length : 0));
  return text;
}

void Win32Button::attach(HWND window, HWND tooltips) {
  window_ = window;
  tooltips_ = tooltips;
  TOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = ::GetParent(window_);
  tool.uId = reinterpret_cast<UINT_PTR>(window_);
  tool.lpszText = wide_hint_.data();
  ::SendMessageW(tooltips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::string Win32Button::caption() const {
  return ansi_text(window_text(window_));
}

void Win32Button::set_caption(std::string_view caption) {
  ::SetWindowTextW(window_, wide_text(caption).c_str());
}

void Win32Button::set_hint(std::string_view hint) {
  hint_ = hint;
  wide_hint_ = wide_text(hint);
  TOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = ::GetParent(window_);
  tool.uId = reinterpret_cast<UINT_PTR>(window_);
  tool.lpszText = wide_hint_.data();
  ::SendMessageW(tooltips_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

bool Win32Button::enabled() const {
  return ::IsWindowEnabled(window_) != 0;
}

void Win32Button::set_enabled(bool enabled) {
  ::EnableWindow(window_, enabled ? TRUE : FALSE);
}

bool Win32Button::press() {
  if (!enabled()) return false;
  if (Handler handler = on_click_) handler();
  return true;
}

std::string Win32Edit::text() const {
  return ansi_text(window_text(window_));
}

void Win32Edit::set_text(std::string_view text) {
  std::wstring wide = wide_text(text);
  if (wide == window_text(window_)) return;
  setting_text_ = true;
  ::SetWindowTextW(window_, wide.c_str());
  setting_text_ = false;
  if (Handler handler = on_change_) handler();
}

void Win32FileTypeList::add(FileType type) {
  ::SendMessageW(window_, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(wide_text(type.description).c_str()));
  entries_.push_back(std::move(type));
}

FileType Win32FileTypeList::entry(int index) const {
  if (index < 0 || index >= count()) throw std::out_of_range("no such file type");
  return entries_[static_cast<size_t>(index)];
}

int Win32FileTypeList::item_index() const {
  LRESULT index = ::SendMessageW(window_, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : static_cast<int>(index);
}

void Win32FileTypeList::set_item_index(int index) {
  if (index < 0 || index >= count()) index = -1;
  ::SendMessageW(window_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string Win32FileTypeList::selected_mask() const {
  int index = item_index();
  return index < 0 ? std::string() : entries_[static_cast<size_t>(index)].mask;
}

}  // namespace pharmex::platform
