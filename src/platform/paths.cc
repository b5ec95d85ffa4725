#include "platform/paths.h"

namespace pharmex::platform {

namespace {

// Where the last component starts: after the last separator, or after the
// root (on Windows a bare drive "C:" is a root without a separator).
size_t name_start(std::string_view path) {
  size_t root = root_length(path);
  for (size_t i = path.size(); i > root; --i) {
    if (is_path_separator(path[i - 1])) return i;
  }
  return root;
}

}  // namespace

std::string_view extract_file_path(std::string_view path) {
  return path.substr(0, name_start(path));
}

std::string extract_file_dir(std::string_view path) {
  size_t start = name_start(path);
  size_t root = root_length(path);
  if (start > root) return std::string(path.substr(0, start - 1));
  return std::string(path.substr(0, root));
}

std::string_view extract_file_name(std::string_view path) {
  return path.substr(name_start(path));
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

std::vector<std::string> files_in_folder(std::string_view ansi_folder) {
  namespace fs = std::filesystem;
  std::vector<std::string> names;
  std::error_code error;
  fs::directory_iterator it(ansi_folder.empty() ? fs::path(".") : filesystem_path(ansi_folder),
                            error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    std::error_code kind;
    if (it->is_regular_file(kind)) names.push_back(ansi_file_name(it->path().filename()));
  }
  return names;
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

}  // namespace pharmex::platform
