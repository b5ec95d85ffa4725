// HeadlessShellForm: the shell open/save form of the headless toolkit, a
// working model of a desktop file dialog without a screen.
//
// It keeps the state of every part (captions, hints, enabled states, the text
// of the file-name box, the file types and their selection), shows a real
// folder of the file system filtered by the selected mask, navigates folders
// and checks typed names by this platform's rules (platform/toolkit_file_name.h).
// Its close query, FormCloseQuery, is the one ShellForm::close describes
// (platform/file_name_query.h, shared with the Windows form); a
// form with file_must_exist set also refuses a missing file with a message box.
//
// Driving API. Tests and the command-line tool act on a shown form as a user
// would: type a name, pick a file type, open folders, click buttons, press
// Enter or Esc, click the close box. Each action is one event of the
// toolkit's message loop (HeadlessToolkit::dispatch): a failure escaping a
// handler is shown in an error box, and a form whose close completed with
// CloseAction::kFree is destroyed when the action returns, so the reference
// used to act on it must not be used after an action that may close it; ask
// the toolkit for its open forms instead. Acting on a form that is not shown
// throws std::logic_error.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/headless_controls.h"
#include "platform/headless_folder_view.h"
#include "platform/toolkit.h"

namespace pharmex::platform {

class HeadlessToolkit;

class HeadlessShellForm final : public ShellForm {
 public:
  // Made by HeadlessToolkit::create_shell_form.
  HeadlessShellForm(HeadlessToolkit& toolkit, WindowHandle owner, int id);
  ~HeadlessShellForm() override;
  HeadlessShellForm(const HeadlessShellForm&) = delete;
  HeadlessShellForm& operator=(const HeadlessShellForm&) = delete;

  // ShellForm.
  Button& btnOpen() override { return open_; }
  Button& btnCancel() override { return cancel_; }
  Button& btnPlace0() override { return place0_; }
  Button& btnPlace1() override { return place1_; }
  Button& btnShowDesktop() override { return show_desktop_; }
  Edit& edtFileName() override { return file_name_box_; }
  FileTypeList& cbxFileTypes() override { return file_types_; }
  FolderView& ShellList() override { return folder_view_; }
  void cbxFileTypesSelEndOk() override;
  std::string title() const override { return title_; }
  void set_title(std::string_view title) override { title_ = title; }
  ShellFormOptions options() const override { return options_; }
  void set_options(const ShellFormOptions& options) override { options_ = options; }
  std::string icon() const override { return icon_; }
  void set_icon(std::string_view resource_name) override { icon_ = resource_name; }
  std::string initial_folder() const override { return initial_folder_; }
  void set_initial_folder(std::string_view folder) override { initial_folder_ = folder; }
  std::string file_name() const override { return file_name_; }
  void set_file_name(std::string_view path) override { file_name_ = path; }
  WindowHandle owner() const override { return owner_; }
  bool visible() const override { return visible_; }
  CloseHandler on_close() const override { return on_close_; }
  void set_on_close(CloseHandler handler) override { on_close_ = std::move(handler); }
  bool close(CloseMode mode) override;

  // User actions (see the driving API above).
  void type_file_name(std::string_view text);
  // Picks an entry of the file-type list; std::out_of_range outside it.
  void select_file_type(int index);
  // Opens a folder (absolute, or taken in the folder shown), as typing it in
  // an address bar does; false when it is no folder that can be entered.
  bool open_folder(std::string_view path);
  bool go_up();
  // Clicks a listed item: a file's name goes into the file-name box.
  // Double-clicks one: a folder opens, a file is chosen (its name goes into
  // the box and the confirm button is pressed). std::invalid_argument when
  // nothing of that name is listed.
  void select_item(std::string_view name);
  void open_item(std::string_view name);
  // Clicks one of this form's buttons; nothing happens while it is disabled.
  void click(Button& button);
  void press_enter();   // presses the default button, btnOpen
  void press_escape();  // presses the cancel button, btnCancel
  void click_close_box();

  // The toolkit's number for the form, unique within it (1, 2, ...), which
  // stays meaningful after the form is gone.
  int id() const { return id_; }

  // What the user sees.
  std::string folder() const { return folder_view_.folder(); }
  std::vector<FolderItem> items() const { return folder_view_.items(); }
  // True once a close completed with kFree; the toolkit destroys the form at
  // the end of the current event.
  bool released() const { return released_; }

 private:
  friend class HeadlessToolkit;

  // Called by HeadlessToolkit::show_modeless.
  void show();
  void require_shown() const;
  bool FormCloseQuery(CloseMode mode);
  bool accept_file_name();
  void open_place(const std::string& folder);
  FolderItem listed_item(std::string_view name) const;

  HeadlessToolkit& toolkit_;
  WindowHandle owner_;
  int id_;
  HeadlessButton open_;
  HeadlessButton cancel_;
  HeadlessButton place0_;
  HeadlessButton place1_;
  HeadlessButton show_desktop_;
  HeadlessEdit file_name_box_;
  HeadlessFileTypeList file_types_;
  HeadlessFolderView folder_view_;
  std::string title_;
  ShellFormOptions options_;
  std::string icon_;
  std::string initial_folder_;
  std::string file_name_;
  CloseHandler on_close_;
  bool visible_ = false;
  bool closing_ = false;
  bool released_ = false;
};

}  // namespace pharmex::platform
