// The close query's reading of the file-name box, the same for every
// toolkit's shell form (ShellForm::close): a name with wildcards becomes the
// folder view's filter ("sub/*.txt" opens "sub" first and leaves "*.txt" in
// the box), an existing folder's name opens that folder and empties the box,
// an invalid name is reported ("%s\nThe above file name is invalid."), and
// with file_must_exist a missing file too; each refuses the close. Otherwise
// the name, taken in the folder shown unless it has a root of its own, is the
// chosen path. The rules of a name are those of platform/toolkit_file_name.h.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pharmex::platform {

// What the query needs of the form it runs on.
struct FileNameQueryParts {
  std::function<std::string()> folder;                // the folder shown
  std::function<bool(std::string_view)> open_folder;  // false when it cannot be entered
  std::function<void(std::string_view)> set_filter;
  std::function<void(std::string_view)> set_name_box;
  // A warning in a message box titled with the form's title.
  std::function<void(const std::string&)> warn;
  bool file_must_exist = false;
};

// The chosen path for the box's text; nothing when the close is refused.
std::optional<std::string> query_file_name(std::string_view typed, const FileNameQueryParts& form);

}  // namespace pharmex::platform
