#include "app/dialog_preparation.h"

#include <memory>
#include <string_view>

#include "app/layout_dispatcher.h"
#include "core/variant.h"
#include "host/host_dataset.h"
#include "platform/paths.h"
#include "platform/text_codec.h"
#include "platform/toolkit.h"

namespace pharmex::app {

namespace {

std::string ansi(std::string_view utf8) {
  return platform::text_codec().utf8_to_ansi(utf8);
}

constexpr platform::ShellFormOptions kDialogOptions = {.hide_read_only = true,
                                                       .show_hints = true,
                                                       .overwrite_prompt = false,
                                                       .file_must_exist = false,
                                                       .create_prompt = false};

void fill_file_types(platform::ShellForm& form, const DocumentKind& kind) {
  for (const FileTypeEntry& type : kind.file_types) {
    form.cbxFileTypes().add(platform::FileType::parse(type.text));
  }
  form.cbxFileTypes().set_item_index(0);
  form.cbxFileTypesSelEndOk();
}

// Everything between creating the dialog object and showing it.
void prepare(const DocumentKind& kind, const host::RunContext& context,
             TShellOpenSaveForm& dialog) {
  platform::ShellForm& form = dialog.form();
  dialog.install_handlers(std::make_shared<const DocumentKind>(kind));
  if (platform::Handler changed = form.edtFileName().on_change()) changed();

  form.set_title(kind.title);
  form.btnOpen().set_caption(kind.confirm_caption);
  form.set_options(kDialogOptions);
  form.btnShowDesktop().set_hint(ansi("Показать ") + form.btnPlace1().caption());
  form.btnPlace0().set_caption(ansi("Мои последние документы"));
  fill_file_types(form, kind);

  // The dialog's own copy: the window, datasets, callbacks and folders its
  // routine will get.
  dialog.set_context(context);
  form.set_icon("MAINICON");

  form.edtFileName().set_text(propose_file_name(kind, context.main_dataset()));
  form.set_initial_folder(context.folders().read(kind.folder_value));
}

}  // namespace

void open_dialog(const DocumentKind& kind, const host::RunContext& context) {
  std::shared_ptr<platform::Toolkit> toolkit = platform::toolkit();
  platform::ActiveWindowScope active_window(*toolkit, context.window());

  std::unique_ptr<platform::ShellForm> form = TShellOpenSaveForm::create(*toolkit);
  TShellOpenSaveForm& dialog = TShellOpenSaveForm::of(*form);
  toolkit->enable_window(context.window(), false);
  try {
    prepare(kind, context, dialog);
    toolkit->show_modeless(std::move(form));
  } catch (...) {
    // Nothing may stay behind: the unshown dialog goes with `form`, and the
    // host must not be left with a window nobody enables again.
    toolkit->enable_window(context.window(), true);
    throw;
  }
}

std::string propose_file_name(const DocumentKind& kind, const host::HostRef<IDataSet>& main) {
  const ProposedName& rule = kind.proposed_name;
  std::string name = rule.fallback;
  if (!rule.native_id_prefix.empty() && main) {
    host::HostField native_id =
        host::HostDataSet(main).field_by_name(std::string_view("native_id"));
    if (native_id) {
      Variant value = native_id.value();
      if (value.is_string()) {
        name = rule.native_id_prefix + platform::text_codec().utf16_to_ansi(value.string_value());
      }
    }
  }
  name = platform::file_name_component(name);
  if (name == "." || name == "..") name.clear();
  if (name.empty()) name = rule.fallback;
  if (!name.empty() && rule.with_extension && !kind.file_types.empty()) {
    name.append(mask_extension(kind.mask(0)));
  }
  return name;
}

}  // namespace pharmex::app
