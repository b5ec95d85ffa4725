#include "platform/file_name_query.h"

#include "core/error.h"
#include "platform/paths.h"
#include "platform/toolkit_file_name.h"

namespace pharmex::platform {

namespace {

void report_invalid_name(std::string_view name, const FileNameQueryParts& form) {
  form.warn(format_message("%s\nThe above file name is invalid.", {name}));
}

// "*.txt" filters the folder shown; "/data/*.txt" or "sub/*.txt" opens that
// folder first and leaves the pattern alone in the box. Never accepts.
void apply_wildcards(std::string_view name, const FileNameQueryParts& form) {
  std::string_view folder = extract_file_path(name);
  std::string_view pattern = extract_file_name(name);
  if (!folder.empty()) {
    if (has_wildcards(folder) || !is_valid_path(folder) || !form.open_folder(folder)) {
      report_invalid_name(name, form);
      return;
    }
    form.set_name_box(pattern);
  }
  form.set_filter(pattern);
}

}  // namespace

std::optional<std::string> query_file_name(std::string_view typed, const FileNameQueryParts& form) {
  std::string name(trim_blanks(typed));
  if (name.empty()) return std::nullopt;
  if (has_wildcards(name)) {
    apply_wildcards(name, form);
    return std::nullopt;
  }
  if (is_valid_path(name) && form.open_folder(name)) {
    // A folder's name opens the folder, as in every file dialog.
    form.set_name_box("");
    return std::nullopt;
  }
  if (!is_valid_file_name(name)) {
    report_invalid_name(name, form);
    return std::nullopt;
  }
  std::string path = resolve_in_folder(form.folder(), name);
  if (form.file_must_exist && !file_exists(path)) {
    form.warn(format_message("%s\nFile not found.\nCheck the file name and try again.", {name}));
    return std::nullopt;
  }
  return path;
}

}  // namespace pharmex::platform
