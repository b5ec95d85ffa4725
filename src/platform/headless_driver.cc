#include "platform/headless_driver.h"

#include "platform/paths.h"

namespace pharmex::platform {

DialogAnswer answer_dialog(HeadlessToolkit& toolkit, std::string_view path,
                           std::optional<int> file_type) {
  HeadlessShellForm* form = toolkit.active_form();
  if (form == nullptr) return {};
  if (file_type) form->select_file_type(*file_type);
  std::string_view name = path;
  if (is_absolute_path(path)) {
    std::string_view folder = extract_file_path(path);
    if (form->open_folder(folder)) name = extract_file_name(path);
  }
  form->type_file_name(name);
  size_t boxes_before = toolkit.message_boxes().size();
  int id = form->id();
  form->press_enter();  // may destroy the form
  if (toolkit.open_form(id) == nullptr) return {DialogAnswer::Outcome::kClosed, {}};
  const std::vector<MessageBoxRecord>& boxes = toolkit.message_boxes();
  if (boxes.size() == boxes_before) return {DialogAnswer::Outcome::kRefused, {}};
  const MessageBoxRecord& shown = boxes.back();
  return {shown.kind == MessageKind::kError ? DialogAnswer::Outcome::kFailed
                                            : DialogAnswer::Outcome::kRefused,
          shown.text};
}

bool dismiss_dialog(HeadlessToolkit& toolkit) {
  HeadlessShellForm* form = toolkit.active_form();
  if (form == nullptr) return false;
  form->press_escape();
  return true;
}

DialogAnswer HeadlessToolkit::answer(std::string_view path, std::optional<int> file_type) {
  return answer_dialog(*this, path, file_type);
}

bool HeadlessToolkit::dismiss() {
  return dismiss_dialog(*this);
}

}  // namespace pharmex::platform
