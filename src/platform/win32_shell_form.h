// Win32ShellForm: the shell open/save form of the Win32 toolkit, a real
// window: resizable, owned by the host's window, with the system's dialog
// font and sizes scaled to the screen's DPI.
//
//   +--------+ Папка: [C:\folder shown, editable         ] [Вверх]
//   | places | +---------------------------------------------------+
//   | btn-   | | ShellList: Имя | Размер | Изменён                  |
//   | Place0 | |   sub-folders first, then the files of the mask   |
//   | btn-   | |   (grows with the window)                         |
//   | Place1 | +---------------------------------------------------+
//   | [show  | Имя файла: [edtFileName                 ] [btnOpen  ]
//   | desk]  | Тип файла: [cbxFileTypes               v] [btnCancel]
//   +--------+
//
// The window is Unicode inside; the library's ANSI texts are converted with
// the system's code pages. btnOpen is the default button (Enter presses it)
// and btnCancel the cancel button (Esc presses it); the toolkit's message
// hook does the dialog-message translation for the host's own message loop
// (platform/win32_toolkit.h). Enter on a folder in the list, or a
// double-click on it, opens the folder; on a file it chooses the file; Enter
// in the folder box opens what it names; "Вверх" opens the parent folder.
//
// Its close query, FormCloseQuery, is the one ShellForm::close describes
// (platform/file_name_query.h, shared with the headless form).
// Every notification of the window is one event of the toolkit
// (Win32Toolkit::dispatch): a failure escaping a handler is shown in the
// toolkit's error box, owned by this window.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/toolkit.h"
#include "platform/win32_controls.h"
#include "platform/win32_folder_list.h"

namespace pharmex::platform {

class Win32Toolkit;

class Win32ShellForm final : public ShellForm {
 public:
  // The window's class, by which a test or an accessibility tool finds it.
  static constexpr const wchar_t* kClassName = L"PharmexShellForm";
  // The controls' identifiers, which stay as they are for such tools.
  // btnOpen and btnCancel carry the identifiers the dialog manager sends for
  // Enter and Esc.
  enum ControlId : int {
    kOpenId = IDOK,
    kCancelId = IDCANCEL,
    kPlace0Id = 100,
    kPlace1Id = 101,
    kShowDesktopId = 102,
    kFileNameId = 103,
    kFileTypesId = 104,
    kListId = 105,
    kFolderBoxId = 106,
    kUpId = 107,
    kFolderLabelId = 108,
    kNameLabelId = 109,
    kTypeLabelId = 110,
  };

  // Made (hidden) by Win32Toolkit::create_shell_form.
  Win32ShellForm(Win32Toolkit& toolkit, WindowHandle owner, int id);
  ~Win32ShellForm() override;
  Win32ShellForm(const Win32ShellForm&) = delete;
  Win32ShellForm& operator=(const Win32ShellForm&) = delete;

  // ShellForm.
  Button& btnOpen() override { return open_; }
  Button& btnCancel() override { return cancel_; }
  Button& btnPlace0() override { return place0_; }
  Button& btnPlace1() override { return place1_; }
  Button& btnShowDesktop() override { return show_desktop_; }
  Edit& edtFileName() override { return file_name_box_; }
  FileTypeList& cbxFileTypes() override { return file_types_; }
  FolderView& ShellList() override { return folder_list_; }
  void cbxFileTypesSelEndOk() override;
  std::string title() const override;
  void set_title(std::string_view title) override;
  ShellFormOptions options() const override { return options_; }
  void set_options(const ShellFormOptions& options) override;
  std::string icon() const override { return icon_; }
  void set_icon(std::string_view resource_name) override;
  std::string initial_folder() const override { return initial_folder_; }
  void set_initial_folder(std::string_view folder) override { initial_folder_ = folder; }
  std::string file_name() const override { return file_name_; }
  void set_file_name(std::string_view path) override { file_name_ = path; }
  WindowHandle owner() const override { return owner_; }
  bool visible() const override { return visible_; }
  CloseHandler on_close() const override { return on_close_; }
  void set_on_close(CloseHandler handler) override { on_close_ = std::move(handler); }
  bool close(CloseMode mode) override;

  HWND window() const { return window_; }
  int id() const { return id_; }
  // True once a close completed with kFree; the toolkit destroys the form at
  // the end of the current event.
  bool released() const { return released_; }

  // What a program driving the form does (platform/dialog_driver.h), each as
  // one event, as the user's keys and clicks would.
  void select_file_type(int index);
  bool open_folder(std::string_view path);
  void type_file_name(std::string_view text);
  void press_enter();
  void press_escape();

 private:
  friend class Win32Toolkit;

  // The dialog-message translation of one message of the thread's queue for
  // this window or its controls (the toolkit's hook calls it): true when the
  // message was handled and must not be dispatched.
  bool translate(MSG& message);
  static LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT handle(UINT message, WPARAM w, LPARAM l);
  void create_controls();
  void set_fonts();
  void lay_out();
  void command(int id, int code);
  LRESULT notify(const NMHDR& header);
  // Enter: a folder selected in the list opens; the folder box's text opens
  // that folder; otherwise btnOpen is pressed.
  void default_action();
  void activate_item(int index);
  void show_folder();
  void open_place(int csidl);
  // Called by Win32Toolkit::show_modeless.
  void show();
  bool FormCloseQuery(CloseMode mode);
  bool accept_file_name();

  Win32Toolkit& toolkit_;
  WindowHandle owner_;
  int id_;
  HWND window_ = nullptr;
  HWND tooltips_ = nullptr;
  HWND folder_label_ = nullptr;
  HWND folder_box_ = nullptr;
  HWND up_button_ = nullptr;
  HWND list_ = nullptr;
  HWND name_label_ = nullptr;
  HWND type_label_ = nullptr;
  HFONT font_ = nullptr;
  HICON big_icon_ = nullptr;
  HICON small_icon_ = nullptr;
  int dpi_ = 96;
  Win32Button open_;
  Win32Button cancel_;
  Win32Button place0_;
  Win32Button place1_;
  Win32Button show_desktop_;
  Win32Edit file_name_box_;
  Win32FileTypeList file_types_;
  Win32FolderList folder_list_;
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
