#include "platform/win32_text.h"

#include <windows.h>

#include "platform/text_codec.h"

namespace pharmex::platform {

namespace {

// The classic limit of a path, MAX_PATH with its terminating NUL; a folder
// must leave room for an 8.3 name (12 characters) below it.
constexpr size_t kClassicLimit = MAX_PATH - 12;

std::wstring full_path_name(const std::wstring& path) {
  DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  size = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (size == 0 || size >= full.size()) return path;
  full.resize(size);
  return full;
}

}  // namespace

std::wstring wide_text(std::string_view ansi) {
  std::u16string units = text_codec().ansi_to_utf16(ansi);
  return std::wstring(units.begin(), units.end());
}

std::string ansi_text(std::wstring_view wide) {
  std::u16string units(wide.begin(), wide.end());
  return text_codec().utf16_to_ansi(units);
}

std::wstring wide_path(std::string_view ansi_path) {
  std::wstring path = wide_text(ansi_path);
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  if (path.size() < kClassicLimit || path.rfind(L"\\\\?\\", 0) == 0) return path;
  std::wstring full = full_path_name(path);
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

}  // namespace pharmex::platform
