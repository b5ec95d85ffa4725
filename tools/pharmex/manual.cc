#include "manual.h"

#include "manual_text.h"

namespace pharmex::cli {

std::string_view manual_text() {
  return kManualText;
}

std::vector<std::string> synopsis_of(std::string_view command) {
  constexpr std::string_view kIndent = "    pharmex ";
  const std::string wanted = std::string(command) + " ";
  std::vector<std::string> lines;
  std::string_view text = manual_text();
  bool in_synopsis = false;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (!line.empty() && line[0] != ' ') in_synopsis = line == "SYNOPSIS";
    if (in_synopsis && line.starts_with(kIndent) &&
        line.substr(kIndent.size()).starts_with(wanted)) {
      lines.emplace_back(line.substr(4));
    }
  }
  return lines;
}

}  // namespace pharmex::cli
