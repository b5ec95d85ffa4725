#include "platform/headless_shell_form.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "core/cleanup.h"
#include "platform/file_name_query.h"
#include "platform/headless_toolkit.h"
#include "platform/paths.h"
#include "platform/text_codec.h"
#include "platform/toolkit_file_name.h"

namespace pharmex::platform {

namespace {

// The toolkit's own texts, in UTF-8 here and ANSI on the form.
std::string ansi(std::string_view utf8) {
  return text_codec().utf8_to_ansi(utf8);
}

}  // namespace

HeadlessShellForm::HeadlessShellForm(HeadlessToolkit& toolkit, WindowHandle owner, int id)
    : toolkit_(toolkit),
      owner_(owner),
      id_(id),
      open_("&Open"),
      cancel_("Cancel"),
      place0_(ansi("Недавние документы")),
      place1_(ansi("Рабочий стол")),
      show_desktop_(""),
      title_("Open") {
  show_desktop_.set_hint(ansi("Показать рабочий стол"));
  place0_.set_on_click([this] { open_place(toolkit_.places().recent); });
  place1_.set_on_click([this] { open_place(toolkit_.places().desktop); });
  show_desktop_.set_on_click([this] { open_place(toolkit_.places().desktop); });
}

HeadlessShellForm::~HeadlessShellForm() {
  destroy_extension();
}

void HeadlessShellForm::cbxFileTypesSelEndOk() {
  folder_view_.set_filter(file_types_.selected_mask());
}

void HeadlessShellForm::show() {
  if (options_.overwrite_prompt || options_.create_prompt) {
    throw std::logic_error("the headless toolkit asks no questions: no overwrite or create prompt");
  }
  // A folder that is gone or cannot be entered falls back to the current
  // directory, as a desktop dialog falls back to a default folder.
  if (initial_folder_.empty() || !folder_view_.open(initial_folder_)) {
    if (!folder_view_.open(current_directory())) folder_view_.open("/");
  }
  visible_ = true;
}

bool HeadlessShellForm::close(CloseMode mode) {
  if (!visible_ || closing_) return false;
  FlagScope closing(closing_);
  if (!FormCloseQuery(mode)) return false;
  std::string folder = folder_view_.folder();
  if (!folder.empty()) set_current_directory(folder);
  CloseAction action = CloseAction::kHide;
  if (CloseHandler handler = on_close_) handler(action);
  if (action == CloseAction::kNone) return false;
  visible_ = false;
  released_ = action == CloseAction::kFree;
  return true;
}

bool HeadlessShellForm::FormCloseQuery(CloseMode mode) {
  return mode == CloseMode::kDismiss || accept_file_name();
}

bool HeadlessShellForm::accept_file_name() {
  std::optional<std::string> path = query_file_name(
      file_name_box_.text(),
      {.folder = [this] { return folder_view_.folder(); },
       .open_folder = [this](std::string_view folder) { return folder_view_.open(folder); },
       .set_filter = [this](std::string_view mask) { folder_view_.set_filter(mask); },
       .set_name_box = [this](std::string_view text) { file_name_box_.set_text(text); },
       .warn =
           [this](const std::string& text) {
             toolkit_.message_box(text, title_, MessageKind::kWarning);
           },
       .file_must_exist = options_.file_must_exist});
  if (!path) return false;
  file_name_ = std::move(*path);
  return true;
}

void HeadlessShellForm::open_place(const std::string& folder) {
  if (!folder.empty()) folder_view_.open(folder);
}

void HeadlessShellForm::require_shown() const {
  if (!visible_) throw std::logic_error("the form is not shown");
}

FolderItem HeadlessShellForm::listed_item(std::string_view name) const {
  std::vector<FolderItem> listed = folder_view_.items();
  auto it = std::find_if(listed.begin(), listed.end(),
                         [name](const FolderItem& item) { return item.name == name; });
  if (it == listed.end()) {
    throw std::invalid_argument("nothing named '" + std::string(name) + "' is listed");
  }
  return *it;
}

void HeadlessShellForm::type_file_name(std::string_view text) {
  require_shown();
  toolkit_.dispatch([&] { file_name_box_.set_text(text); });
}

void HeadlessShellForm::select_file_type(int index) {
  require_shown();
  file_types_.entry(index);  // std::out_of_range for an entry the list lacks
  toolkit_.dispatch([&] {
    file_types_.set_item_index(index);
    cbxFileTypesSelEndOk();
  });
}

bool HeadlessShellForm::open_folder(std::string_view path) {
  require_shown();
  bool opened = false;
  toolkit_.dispatch([&] { opened = folder_view_.open(path); });
  return opened;
}

bool HeadlessShellForm::go_up() {
  require_shown();
  bool opened = false;
  toolkit_.dispatch([&] { opened = folder_view_.go_up(); });
  return opened;
}

void HeadlessShellForm::select_item(std::string_view name) {
  require_shown();
  FolderItem item = listed_item(name);
  if (item.folder) return;
  toolkit_.dispatch([&] { file_name_box_.set_text(item.name); });
}

void HeadlessShellForm::open_item(std::string_view name) {
  require_shown();
  FolderItem item = listed_item(name);
  toolkit_.dispatch([&] {
    if (item.folder) {
      folder_view_.open(item.name);
      return;
    }
    file_name_box_.set_text(item.name);
    open_.press();
  });
}

void HeadlessShellForm::click(Button& button) {
  require_shown();
  HeadlessButton* target = nullptr;
  for (HeadlessButton* own : {&open_, &cancel_, &place0_, &place1_, &show_desktop_}) {
    if (own == &button) target = own;
  }
  if (target == nullptr) throw std::invalid_argument("the button is not on this form");
  toolkit_.dispatch([target] { target->press(); });
}

void HeadlessShellForm::press_enter() {
  click(open_);
}

void HeadlessShellForm::press_escape() {
  click(cancel_);
}

void HeadlessShellForm::click_close_box() {
  require_shown();
  toolkit_.dispatch([this] { close(CloseMode::kDismiss); });
}

}  // namespace pharmex::platform
