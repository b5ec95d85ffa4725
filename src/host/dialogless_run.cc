#include "host/dialogless_run.h"

#include <memory>

#include "core/error.h"
#include "host/layout_dispatcher.h"
#include "host/shell_open_save_form.h"
#include "platform/paths.h"
#include "platform/toolkit.h"

namespace pharmex::host {

namespace {

// The holder's form: the data handed over, no window.
std::unique_ptr<platform::ShellForm> make_holder(platform::Toolkit& toolkit, DialogData& data) {
  std::unique_ptr<platform::ShellForm> form = TShellOpenSaveForm::create(toolkit);
  TShellOpenSaveForm& holder = TShellOpenSaveForm::of(*form);
  holder.set_datasets(std::move(data.first), std::move(data.main), std::move(data.lines));
  holder.set_callbacks(data.callbacks);
  return form;
}

}  // namespace

void run_without_dialog(const DocumentKind& kind, DialogData data, int file_type,
                        const std::string& path) {
  Routine routine = kind.routine(file_type);
  std::shared_ptr<platform::Toolkit> toolkit = platform::toolkit();
  std::unique_ptr<platform::ShellForm> form = make_holder(*toolkit, data);
  if (routine != nullptr) routine(TShellOpenSaveForm::of(*form), path);
}

std::string run_in_folder(const DocumentKind& kind, DialogData data, const std::string& folder,
                          int file_type) {
  // A caller's index beyond the list would otherwise run nothing and report
  // success for a file that was never written.
  if (file_type < 0 || static_cast<size_t>(file_type) >= kind.file_types.size()) {
    raise<Error>("File type %d is not one of the layouts 0 to %d",
                 {int64_t{file_type}, static_cast<int64_t>(kind.file_types.size()) - 1});
  }
  std::shared_ptr<platform::Toolkit> toolkit = platform::toolkit();
  std::unique_ptr<platform::ShellForm> form = make_holder(*toolkit, data);
  TShellOpenSaveForm& holder = TShellOpenSaveForm::of(*form);
  std::string name = propose_file_name(kind, holder);
  form->set_initial_folder(folder);
  for (const std::string& text : kind.file_types) {
    form->cbxFileTypes().add(platform::FileType::parse(text));
  }
  form->cbxFileTypes().set_item_index(file_type);
  form->set_file_name(folder + name);
  if (!platform::directory_exists(folder)) return std::string();
  return dispatch_layout(kind, holder);
}

}  // namespace pharmex::host
