// Answering the library's file dialog in the headless toolkit as a user would
// (platform/dialog_driver.h), for the command-line tool and end-to-end tests:
// after a dialog entry point returned, answer_dialog picks the file type,
// types the path and presses Enter, then reports what the user saw.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/dialog_driver.h"
#include "platform/headless_toolkit.h"

namespace pharmex::platform {

// Answers the active dialog. `file_type` (when given) is picked first; it
// must be an entry of the list (std::out_of_range otherwise). For an absolute
// `path` whose folder exists, that folder is opened and the last component
// typed; any other path is typed as it is (a relative one is taken in the
// folder the dialog shows). Then Enter. A refused or failed dialog stays open.
DialogAnswer answer_dialog(HeadlessToolkit& toolkit, std::string_view path,
                           std::optional<int> file_type = std::nullopt);

// Cancels the active dialog with Esc; false when none was open.
bool dismiss_dialog(HeadlessToolkit& toolkit);

}  // namespace pharmex::platform
