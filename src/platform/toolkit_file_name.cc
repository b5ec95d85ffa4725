#include "platform/toolkit_file_name.h"

#include "platform/paths.h"
#include "platform/text_codec.h"

namespace pharmex::platform {

namespace {

bool is_control(unsigned char c) {
  return c < 0x20 || c == 0x7F;
}

bool same_letter(char a, char b) {
  const CodePage& page = text_codec().ansi();
  return page.to_upper(static_cast<unsigned char>(a)) ==
         page.to_upper(static_cast<unsigned char>(b));
}

// Wildcard matching with backtracking to the last "*": linear in practice and
// never recursive, so a long pattern cannot exhaust the stack.
bool matches_pattern(std::string_view name, std::string_view pattern) {
  if (pattern == "*.*") return true;
  size_t n = 0;
  size_t p = 0;
  size_t star = std::string_view::npos;
  size_t star_n = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_n = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || same_letter(pattern[p], name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++star_n;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

}  // namespace

bool has_wildcards(std::string_view name) {
  return name.find_first_of("*?") != std::string_view::npos;
}

bool is_valid_path(std::string_view ansi_path) {
  if (ansi_path.empty()) return false;
  for (char c : ansi_path) {
    if (is_control(static_cast<unsigned char>(c))) return false;
  }
  return is_valid_system_path(ansi_path);
}

bool is_valid_file_name(std::string_view ansi_name) {
  if (!is_valid_path(ansi_name)) return false;
  std::string_view last = extract_file_name(ansi_name);
  return !last.empty() && last != "." && last != "..";
}

bool matches_mask(std::string_view name, std::string_view mask) {
  if (trim_blanks(mask).empty()) return true;
  while (true) {
    size_t semicolon = mask.find(';');
    std::string_view pattern = trim_blanks(mask.substr(0, semicolon));
    if (!pattern.empty() && matches_pattern(name, pattern)) return true;
    if (semicolon == std::string_view::npos) return false;
    mask.remove_prefix(semicolon + 1);
  }
}

std::string resolve_in_folder(std::string_view folder, std::string_view name) {
  std::string path;
  // A name with a root of its own (on Windows also "\x" or "C:x", which
  // the current drive and folder complete) is not taken in the folder.
  if (root_length(name) == 0) {
    path.assign(folder.empty() ? current_directory() : std::string(folder));
    path.push_back(path_separator());
  }
  path.append(name);
  path = expand_file_name(path);
  if (path.size() > root_length(path) && is_path_separator(path.back())) path.pop_back();
  return path;
}

std::string_view trim_blanks(std::string_view text) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

}  // namespace pharmex::platform
