// Paths on Linux: "/" separates folders, a path is absolute when it starts
// with "/", and file names are UTF-8 (the ANSI text converted by the
// process's code pages).
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/paths.h"
#include "platform/text_codec.h"
#include "platform/toolkit_file_name.h"

namespace pharmex::platform {

std::string native_path(std::string_view ansi_path) {
  return text_codec().ansi_to_utf8(ansi_path);
}

std::string ansi_path(std::string_view native) {
  return text_codec().utf8_to_ansi(native);
}

std::filesystem::path filesystem_path(std::string_view ansi_path) {
  return std::filesystem::path(native_path(ansi_path));
}

std::string ansi_file_name(const std::filesystem::path& path) {
  return ansi_path(path.string());
}

char path_separator() {
  return '/';
}

bool is_path_separator(char c) {
  return c == '/';
}

size_t root_length(std::string_view path) {
  return !path.empty() && path[0] == '/' ? 1 : 0;
}

bool is_absolute_path(std::string_view path) {
  return root_length(path) > 0;
}

std::string expand_file_name(std::string_view path) {
  std::string full;
  if (path.empty() || path[0] != '/') {
    full = current_directory();
    if (full.empty() || full.back() != '/') full.push_back('/');
  }
  full.append(path);
  std::vector<std::string_view> parts;
  std::string_view rest(full);
  while (!rest.empty()) {
    size_t slash = rest.find('/');
    std::string_view part = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string out;
  for (std::string_view part : parts) {
    out.push_back('/');
    out.append(part);
  }
  bool trailing = !path.empty() && path.back() == '/' && !out.empty();
  if (out.empty() || trailing) out.push_back('/');
  return out;
}

bool is_valid_system_path(std::string_view ansi_path) {
  std::string native = native_path(ansi_path);
  if (native.size() > kMaxPathBytes) return false;
  std::string_view rest(native);
  while (true) {
    size_t slash = rest.find('/');
    if (rest.substr(0, slash).size() > kMaxNameBytes) return false;
    if (slash == std::string_view::npos) return true;
    rest.remove_prefix(slash + 1);
  }
}

bool file_exists(std::string_view path) {
  struct stat info {};
  return ::stat(native_path(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool directory_exists(std::string_view path) {
  struct stat info {};
  return ::stat(native_path(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool can_enter_directory(std::string_view path) {
  return directory_exists(path) && ::access(native_path(path).c_str(), X_OK) == 0;
}

std::string current_directory() {
  std::vector<char> buffer(4096);
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return ansi_path(buffer.data());
}

bool set_current_directory(std::string_view path) {
  return ::chdir(native_path(path).c_str()) == 0;
}

std::string user_home_folder() {
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    const passwd* entry = ::getpwuid(::getuid());
    home = entry != nullptr ? entry->pw_dir : "/";
  }
  return ansi_path(home);
}

}  // namespace pharmex::platform
