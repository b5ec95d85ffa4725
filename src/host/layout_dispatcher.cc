#include "host/layout_dispatcher.h"

#include "host/shell_open_save_form.h"
#include "platform/paths.h"

namespace pharmex::host {

std::string_view mask_extension(std::string_view mask) {
  size_t dot = mask.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : mask.substr(dot);
}

std::string with_type_extension(std::string_view path, std::string_view mask) {
  std::string out(path);
  if (!platform::has_extension(path)) out.append(mask_extension(mask));
  return out;
}

std::string dispatch_layout(const DocumentKind& kind, TShellOpenSaveForm& form) {
  platform::ShellForm& shell = form.form();
  int index = shell.cbxFileTypes().item_index();
  Routine routine = kind.routine(index);
  if (routine == nullptr) return std::string();
  std::string path = with_type_extension(shell.file_name(), shell.cbxFileTypes().entry(index).mask);
  routine(form, path);
  return path;
}

}  // namespace pharmex::host
