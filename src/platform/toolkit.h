// The user-interface toolkit: the shell-browsing open/save form on which the
// library's file dialog is built, message boxes, and the few operations on the
// host's windows that the dialog needs.
//
// The library talks to the toolkit only through these interfaces. A backend
// implements them: the headless backend (platform/headless_toolkit.h) models
// the dialog in-process for tests and the command-line tool; a graphical
// backend implements the same interfaces on real windows.
//
// Contracts every backend keeps:
//   - Everything runs on one thread, the host's user-interface thread. The
//     toolkit's event loop (the host's message loop, or the headless driving
//     API) calls the handlers installed on a form.
//   - An exception that escapes a handler abandons what the event was doing
//     (a close stays undone) and is shown in an error message box with the
//     exception's message as text; it never reaches the host.
//   - All text crossing these interfaces is 8-bit ANSI, like every text inside
//     the library; paths use "/" as separator.
//   - A form shown with Toolkit::show_modeless belongs to the toolkit from then
//     on. Once a close completes with CloseAction::kFree, the toolkit destroys
//     the form (and with it its extension) as soon as the event that closed it
//     has returned, so a handler may safely finish after asking for it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/service.h"

namespace pharmex::platform {

// A window of the host application; 0 is "no window". The toolkit never
// dereferences it.
using WindowHandle = uintptr_t;

using Handler = std::function<void()>;

// What a form does once its close handler returned: stay open, hide, or
// destroy itself.
enum class CloseAction { kNone, kHide, kFree };
using CloseHandler = std::function<void(CloseAction& action)>;

// How a close was started. kAccept is a close that chooses the name in the
// form's file-name box (the confirm button): the close query checks that name
// first. kDismiss closes without choosing anything (cancel, Esc, close box).
enum class CloseMode { kDismiss, kAccept };

enum class MessageKind { kError, kWarning, kInformation };

// A message box as shown: what the headless toolkit records, and what a
// program driving a dialog learns of the boxes it answered.
struct MessageBoxRecord {
  MessageKind kind = MessageKind::kInformation;
  std::string caption;
  std::string text;

  bool operator==(const MessageBoxRecord&) const = default;
};

// One entry of a file-type list: the description the list shows and the mask
// the folder view filters with (patterns separated by ";", such as "*.dbf").
struct FileType {
  std::string description;
  std::string mask;

  // Splits "description|mask" at its first "|"; a text without "|" is a
  // description whose mask shows every file ("*").
  static FileType parse(std::string_view text);

  bool operator==(const FileType&) const = default;
};

// Options of a shell open/save form.
struct ShellFormOptions {
  bool hide_read_only = false;    // hide the "open read-only" check box
  bool show_hints = false;        // show the controls' hints
  bool overwrite_prompt = false;  // ask before choosing an existing file
  bool file_must_exist = false;   // refuse a name whose file does not exist
  bool create_prompt = false;     // offer to create a file that does not exist

  bool operator==(const ShellFormOptions&) const = default;
};

class Button {
 public:
  virtual ~Button() = default;
  virtual std::string caption() const = 0;
  virtual void set_caption(std::string_view caption) = 0;
  virtual std::string hint() const = 0;
  virtual void set_hint(std::string_view hint) = 0;
  virtual bool enabled() const = 0;
  virtual void set_enabled(bool enabled) = 0;
  // Highlighted while the pointer is over it.
  virtual bool hot_track() const = 0;
  virtual void set_hot_track(bool hot_track) = 0;
  // Runs when the user presses the button (only while it is enabled).
  virtual Handler on_click() const = 0;
  virtual void set_on_click(Handler handler) = 0;
};

class Edit {
 public:
  virtual ~Edit() = default;
  virtual std::string text() const = 0;
  // Changing the text, by the user or by a program, runs the change handler.
  virtual void set_text(std::string_view text) = 0;
  virtual Handler on_change() const = 0;
  virtual void set_on_change(Handler handler) = 0;
};

// The file-type list. Each entry keeps its description and its mask.
class FileTypeList {
 public:
  virtual ~FileTypeList() = default;
  virtual void add(FileType type) = 0;
  virtual int count() const = 0;
  // Throws std::out_of_range outside 0..count()-1.
  virtual FileType entry(int index) const = 0;
  // The selected entry; -1 when none is.
  virtual int item_index() const = 0;
  // Selects an entry; an index outside the list selects none (-1). Runs
  // nothing: the form's cbxFileTypesSelEndOk applies the selection.
  virtual void set_item_index(int index) = 0;
};

// The folder view.
class FolderView {
 public:
  virtual ~FolderView() = default;
  // The folder shown, as an absolute path; "" while the view shows something
  // that is no file-system folder (such as a desktop or a network overview).
  virtual std::string folder() const = 0;
  // The mask files are shown by (patterns separated by ";").
  virtual std::string filter() const = 0;
  virtual void set_filter(std::string_view mask) = 0;
};

// What an application adds to a toolkit form, as a class derived from a form
// adds its fields: owned by the form and destroyed with it.
class FormExtension {
 public:
  virtual ~FormExtension() = default;
};

// The shell-browsing open/save form. Part names follow the toolkit's form.
class ShellForm {
 public:
  virtual ~ShellForm() = default;

  virtual Button& btnOpen() = 0;    // confirm; the default button (Enter presses it)
  virtual Button& btnCancel() = 0;  // Esc presses it
  virtual Button& btnPlace0() = 0;
  virtual Button& btnPlace1() = 0;
  virtual Button& btnShowDesktop() = 0;
  virtual Edit& edtFileName() = 0;
  virtual FileTypeList& cbxFileTypes() = 0;
  virtual FolderView& ShellList() = 0;
  // Applies the selected file type: the folder view shows the files that
  // match its mask. The list runs it when the user picks an entry.
  virtual void cbxFileTypesSelEndOk() = 0;

  virtual std::string title() const = 0;
  virtual void set_title(std::string_view title) = 0;
  virtual ShellFormOptions options() const = 0;
  virtual void set_options(const ShellFormOptions& options) = 0;
  // The name of the application's icon resource.
  virtual std::string icon() const = 0;
  virtual void set_icon(std::string_view resource_name) = 0;
  // The folder shown first; "" is the process's current directory.
  virtual std::string initial_folder() const = 0;
  virtual void set_initial_folder(std::string_view folder) = 0;
  // The chosen path: set by a close the query accepted in kAccept mode (the
  // name typed, taken relative to the folder shown unless absolute).
  virtual std::string file_name() const = 0;
  virtual void set_file_name(std::string_view path) = 0;

  // The window that owns the form: the toolkit's active-window answer when
  // the form was created.
  virtual WindowHandle owner() const = 0;
  virtual bool visible() const = 0;

  virtual CloseHandler on_close() const = 0;
  virtual void set_on_close(CloseHandler handler) = 0;

  // Closes the form. The close query (FormCloseQuery) runs first; in kAccept
  // mode it checks the file-name box: a name with wildcards becomes the folder
  // view's filter, a folder's name opens that folder, and a name that is not
  // valid is reported in a message box titled with the form's title; each
  // refuses the close. A close the query accepts makes the folder shown the
  // process's current directory, then runs the close handler (starting from
  // CloseAction::kHide) and does what it decided. Returns whether the form
  // closed. An exception from the close handler leaves the form open and
  // propagates.
  virtual bool close(CloseMode mode) = 0;

  void set_extension(std::unique_ptr<FormExtension> extension) {
    extension_ = std::move(extension);
  }
  FormExtension* extension() const { return extension_.get(); }

 protected:
  // Backends call this first in their destructor, so the extension goes while
  // the form's parts still exist.
  void destroy_extension() { extension_.reset(); }

 private:
  std::unique_ptr<FormExtension> extension_;
};

class Toolkit {
 public:
  virtual ~Toolkit() = default;

  // A new, hidden shell form owned by the caller until it is shown.
  virtual std::unique_ptr<ShellForm> create_shell_form() = 0;
  // Shows a form made by this toolkit without waiting for it, and takes it
  // over (see the ownership contract above).
  virtual void show_modeless(std::unique_ptr<ShellForm> form) = 0;

  // The error box the toolkit shows for a failure: `message` as its text.
  virtual void show_error(std::string_view message) = 0;
  virtual void message_box(std::string_view text, std::string_view caption, MessageKind kind) = 0;

  // Operations on a host window (0 is ignored).
  virtual void enable_window(WindowHandle window, bool enable) = 0;
  virtual void bring_window_to_top(WindowHandle window) = 0;

  // The toolkit asks which window is active when it needs an owner for a new
  // form or a message box. A non-zero answer set here replaces the toolkit's
  // own; 0 gives the toolkit its own answer back.
  virtual WindowHandle active_window_answer() const = 0;
  virtual void set_active_window_answer(WindowHandle window) = 0;
};

// Sets the toolkit's active-window answer for one scope and restores the
// previous answer after.
class ActiveWindowScope {
 public:
  ActiveWindowScope(Toolkit& toolkit, WindowHandle window);
  ~ActiveWindowScope();
  ActiveWindowScope(const ActiveWindowScope&) = delete;
  ActiveWindowScope& operator=(const ActiveWindowScope&) = delete;

 private:
  Toolkit& toolkit_;
  WindowHandle saved_;
};

// The process-wide toolkit the library uses: Service<Toolkit>'s current one,
// which tests and the command-line tool replace.
std::shared_ptr<Toolkit> toolkit();

}  // namespace pharmex::platform

namespace pharmex {

// The platform's toolkit, created when first used: on Windows the Win32
// toolkit (platform/win32_toolkit.h), elsewhere the headless one.
template <>
std::shared_ptr<platform::Toolkit> Service<platform::Toolkit>::make_default();

}  // namespace pharmex
