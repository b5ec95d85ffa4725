// Answering the library's file dialog from a program as a user would, on
// whatever toolkit shows it: the command-line tool and the exported dialog
// script (pharmex/dialog_script.h) pick the file type, type the path and
// press Enter, then learn what the user saw. A toolkit that can be driven so
// implements DialogDriver beside Toolkit.
//
// While a driver acts, a toolkit shows no message box that waits for a
// person: each box is answered at once (OK) and its text reported.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pharmex::platform {

struct DialogAnswer {
  enum class Outcome {
    kNoDialog,  // no dialog was open
    kClosed,    // the dialog accepted the name, ran, and closed: success
    kFailed,    // the run failed; `message` is the error box's text
    kRefused,   // the dialog stayed open without running: `message` is the
                // message box it showed ("" for a mask that only filtered the
                // view, or a confirm button that was disabled)
  };
  Outcome outcome = Outcome::kNoDialog;
  std::string message;
};

class DialogDriver {
 public:
  virtual ~DialogDriver() = default;
  // Answers the dialog shown last. `file_type` (when given) is picked first;
  // it must be an entry of the list (std::out_of_range otherwise). For an
  // absolute `path` whose folder exists, that folder is opened and the last
  // component typed; any other path is typed as it is (a relative one is
  // taken in the folder the dialog shows). Then Enter. A refused or failed
  // dialog stays open.
  virtual DialogAnswer answer(std::string_view path, std::optional<int> file_type) = 0;
  // Cancels the dialog shown last with Esc; false when none was open.
  virtual bool dismiss() = 0;
};

}  // namespace pharmex::platform
