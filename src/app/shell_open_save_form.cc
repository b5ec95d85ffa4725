#include "app/shell_open_save_form.h"

#include <stdexcept>
#include <string>

#include "app/layout_dispatcher.h"
#include "platform/toolkit_file_name.h"

namespace pharmex::app {

std::unique_ptr<platform::ShellForm> TShellOpenSaveForm::create(platform::Toolkit& toolkit) {
  std::unique_ptr<platform::ShellForm> form = toolkit.create_shell_form();
  form->set_extension(std::unique_ptr<TShellOpenSaveForm>(new TShellOpenSaveForm(*form, toolkit)));
  form->btnOpen().set_hot_track(true);
  form->btnCancel().set_hot_track(true);
  return form;
}

TShellOpenSaveForm& TShellOpenSaveForm::of(platform::ShellForm& form) {
  auto* dialog = dynamic_cast<TShellOpenSaveForm*>(form.extension());
  if (dialog == nullptr) throw std::logic_error("the form carries no dialog object");
  return *dialog;
}

TShellOpenSaveForm::TShellOpenSaveForm(platform::ShellForm& form, platform::Toolkit& toolkit)
    : form_(form), toolkit_(toolkit) {}

void TShellOpenSaveForm::install_handlers(std::shared_ptr<const DocumentKind> kind) {
  previous_close_ = form_.on_close();
  form_.set_on_close([this, kind](platform::CloseAction& action) { closing(*kind, action); });
  previous_file_name_change_ = form_.edtFileName().on_change();
  form_.edtFileName().set_on_change([this] { file_name_changed(); });
  previous_cancel_click_ = form_.btnCancel().on_click();
  form_.btnCancel().set_on_click([this] { cancel_clicked(); });
  previous_open_click_ = form_.btnOpen().on_click();
  form_.btnOpen().set_on_click([this] { open_clicked(); });
}

// A name of blanks (or control characters) cannot be chosen.
void TShellOpenSaveForm::file_name_changed() {
  if (previous_file_name_change_) previous_file_name_change_();
  bool has_name = !platform::trim_blanks(form_.edtFileName().text()).empty();
  form_.btnOpen().set_enabled(has_name);
}

void TShellOpenSaveForm::cancel_clicked() {
  if (previous_cancel_click_) previous_cancel_click_();
  form_.close(platform::CloseMode::kDismiss);
}

void TShellOpenSaveForm::open_clicked() {
  if (previous_open_click_) previous_open_click_();
  confirmed_ = true;
  state_ = State::kConfirmed;
  bool closed = false;
  try {
    closed = form_.close(platform::CloseMode::kAccept);
  } catch (...) {
    lapse();
    throw;
  }
  // The close query kept the dialog open (a mask, a folder, an invalid name):
  // the confirmation lapses, so a later cancel runs nothing.
  if (!closed) lapse();
}

void TShellOpenSaveForm::closing(const DocumentKind& kind, platform::CloseAction& action) {
  try {
    if (previous_close_) previous_close_(action);
    if (confirmed_) {
      state_ = State::kRunning;
      run(kind);
    }
  } catch (...) {
    // The close is abandoned: the dialog stays open for another attempt with
    // the host window still disabled, and the toolkit shows the failure in
    // its error box.
    lapse();
    toolkit_.bring_window_to_top(context_.window());
    throw;
  }
  toolkit_.enable_window(context_.window(), true);
  state_ = State::kClosed;
  action = platform::CloseAction::kFree;
}

void TShellOpenSaveForm::lapse() {
  confirmed_ = false;
  state_ = State::kOpen;
}

void TShellOpenSaveForm::run(const DocumentKind& kind) {
  if (kind.stores_folder_before_run) {
    context_.folders().remember(kind.folder_value, host::folder_with_separator(form_.file_name()));
  }
  // The dialog may have been open a while: the run takes the settings (and
  // file system and clock) the process has now.
  context_.take_process_services();
  std::string path =
      dispatch_layout(kind, form_.cbxFileTypes().item_index(), form_.file_name(), context_);
  if (run_observer_ && !path.empty()) run_observer_(path);
}

}  // namespace pharmex::app
