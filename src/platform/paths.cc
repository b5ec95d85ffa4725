#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/text_codec.h"

namespace pharmex::platform {

std::string native_path(std::string_view ansi_path) {
  return text_codec().ansi_to_utf8(ansi_path);
}

std::string ansi_path(std::string_view native) {
  return text_codec().utf8_to_ansi(native);
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

std::string_view extract_file_path(std::string_view path) {
  size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
}

std::string_view extract_file_name(std::string_view path) {
  size_t slash = path.rfind('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view extract_file_ext(std::string_view path) {
  std::string_view name = extract_file_name(path);
  size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : name.substr(dot);
}

bool has_extension(std::string_view path) {
  return extract_file_name(path).find('.') != std::string_view::npos;
}

std::string change_file_ext(std::string_view path, std::string_view extension) {
  std::string_view ext = extract_file_ext(path);
  std::string out(path.substr(0, path.size() - ext.size()));
  out.append(extension);
  return out;
}

std::string_view base_name(std::string_view path) {
  std::string_view name = extract_file_name(path);
  return name.substr(0, name.size() - extract_file_ext(name).size());
}

std::string file_name_component(std::string_view name) {
  std::string out(name);
  for (char& c : out) {
    if (static_cast<unsigned char>(c) < 0x20 ||
        std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) {
      c = '_';
    }
  }
  return out;
}

bool file_exists(std::string_view path) {
  struct stat info {};
  return ::stat(native_path(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool directory_exists(std::string_view path) {
  struct stat info {};
  return ::stat(native_path(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
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

}  // namespace pharmex::platform
