// Paths on Windows: "\" separates folders and "/" is taken as one too; a path
// starts with a drive ("C:\") or a server share ("\\server\share"); file
// names are UTF-16 (the ANSI text converted by the process's code pages) and
// matched without regard to case by the system.
#include <windows.h>

#include <vector>

#include "platform/paths.h"
#include "platform/text_codec.h"
#include "platform/win32_text.h"

namespace pharmex::platform {

namespace {

constexpr size_t kMaxComponentUnits = 255;  // one name, UTF-16
constexpr size_t kMaxPathUnits = 32766;     // a whole path with "\\?\", UTF-16, without its NUL

bool is_letter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool has_drive(std::string_view path) {
  return path.size() >= 2 && is_letter(path[0]) && path[1] == ':';
}

bool is_unc(std::string_view path) {
  return path.size() >= 2 && is_path_separator(path[0]) && is_path_separator(path[1]);
}

// Past the separator-delimited part that starts at `from`.
size_t part_end(std::string_view path, size_t from) {
  while (from < path.size() && !is_path_separator(path[from]))
    ++from;
  return from;
}

// Device names Windows reserves in every folder, with any extension.
bool is_device_name(std::string_view name) {
  std::string_view stem = name.substr(0, name.find('.'));
  while (!stem.empty() && stem.back() == ' ')
    stem.remove_suffix(1);
  std::string upper;
  for (char c : stem)
    upper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
  for (const char* device : kDevices) {
    if (upper == device) return true;
  }
  return upper.size() == 4 && (upper.rfind("COM", 0) == 0 || upper.rfind("LPT", 0) == 0) &&
         upper[3] >= '1' && upper[3] <= '9';
}

// The root of the current directory: its drive ("C:") or its share.
std::string current_root() {
  std::string here = current_directory();
  size_t root = root_length(here);
  while (root > 0 && is_path_separator(here[root - 1]))
    --root;
  return here.substr(0, root);
}

}  // namespace

std::string native_path(std::string_view ansi_path) {
  return text_codec().ansi_to_utf8(ansi_path);
}

std::string ansi_path(std::string_view native) {
  return text_codec().utf8_to_ansi(native);
}

std::filesystem::path filesystem_path(std::string_view ansi_path) {
  return std::filesystem::path(wide_text(ansi_path));
}

std::string ansi_file_name(const std::filesystem::path& path) {
  return ansi_text(path.wstring());
}

char path_separator() {
  return '\\';
}

bool is_path_separator(char c) {
  return c == '\\' || c == '/';
}

size_t root_length(std::string_view path) {
  if (is_unc(path)) {
    size_t server = part_end(path, 2);
    if (server == path.size()) return server;
    return part_end(path, server + 1);  // "\\server\share", without what follows
  }
  if (has_drive(path)) return path.size() > 2 && is_path_separator(path[2]) ? 3 : 2;
  return !path.empty() && is_path_separator(path[0]) ? 1 : 0;
}

bool is_absolute_path(std::string_view path) {
  return is_unc(path) || (has_drive(path) && path.size() > 2 && is_path_separator(path[2]));
}

std::string expand_file_name(std::string_view path) {
  // The root the path is taken against: its own, the current directory's
  // drive or share for "\x", the current directory for a relative path (or
  // for "C:x" on the current directory's drive).
  std::string full;
  size_t root = root_length(path);
  std::string_view rest = path.substr(root);
  if (is_absolute_path(path)) {
    full.assign(path.substr(0, root));
  } else if (root == 1) {
    full = current_root();
  } else {
    std::string here = current_directory();
    bool same_drive = root == 0 || (has_drive(here) && (here[0] | 0x20) == (path[0] | 0x20));
    full = same_drive ? here : std::string(path.substr(0, 2));
  }
  for (char& c : full) {
    if (c == '/') c = '\\';
  }
  size_t keep = root_length(full);  // ".." never climbs above the root
  std::vector<std::string_view> parts;
  std::string_view base(full);
  std::string prefix(base.substr(0, keep));
  std::string joined(base.substr(keep));
  joined.push_back('\\');
  joined.append(rest);
  std::string_view remaining(joined);
  while (!remaining.empty()) {
    size_t end = part_end(remaining, 0);
    std::string_view part = remaining.substr(0, end);
    remaining.remove_prefix(end == remaining.size() ? end : end + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string out = prefix;
  for (std::string_view part : parts) {
    if (out.empty() || !is_path_separator(out.back())) out.push_back('\\');
    out.append(part);
  }
  bool trailing = !path.empty() && is_path_separator(path.back());
  if (out.size() == 2 && has_drive(out)) out.push_back('\\');  // "C:" alone is the drive's root
  if (trailing && !is_path_separator(out.back())) out.push_back('\\');
  return out;
}

bool is_valid_system_path(std::string_view ansi_path) {
  if (wide_path(ansi_path).size() > kMaxPathUnits) return false;
  size_t root = root_length(ansi_path);
  std::string_view rest = ansi_path.substr(root);
  while (true) {
    size_t end = part_end(rest, 0);
    std::string_view part = rest.substr(0, end);
    if (part.find_first_of("<>:\"|?*") != std::string_view::npos) return false;
    if (wide_text(part).size() > kMaxComponentUnits || is_device_name(part)) return false;
    // The system drops a trailing blank or dot: "a." would become "a".
    bool dots = part == "." || part == "..";
    if (!part.empty() && !dots && (part.back() == '.' || part.back() == ' ')) return false;
    if (end == rest.size()) return true;
    rest.remove_prefix(end + 1);
  }
}

bool file_exists(std::string_view path) {
  DWORD attributes = ::GetFileAttributesW(wide_path(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool directory_exists(std::string_view path) {
  DWORD attributes = ::GetFileAttributesW(wide_path(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool can_enter_directory(std::string_view path) {
  if (!directory_exists(path)) return false;
  std::wstring pattern = wide_path(path);
  if (pattern.empty() || pattern.back() != L'\\') pattern.push_back(L'\\');
  pattern.push_back(L'*');
  WIN32_FIND_DATAW found;
  HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  ::FindClose(search);
  return true;
}

std::string current_directory() {
  DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring here(size, L'\0');
  size = ::GetCurrentDirectoryW(size, here.data());
  if (size == 0 || size >= here.size()) return "C:\\";
  here.resize(size);
  std::string out = ansi_text(here);
  while (out.size() > root_length(out) && is_path_separator(out.back()))
    out.pop_back();
  return out;
}

bool set_current_directory(std::string_view path) {
  return ::SetCurrentDirectoryW(wide_path(path).c_str()) != 0;
}

std::string user_home_folder() {
  wchar_t buffer[MAX_PATH];
  DWORD size = ::GetEnvironmentVariableW(L"USERPROFILE", buffer, MAX_PATH);
  if (size > 0 && size < MAX_PATH) return ansi_text(std::wstring_view(buffer, size));
  return current_root() + "\\";
}

}  // namespace pharmex::platform
