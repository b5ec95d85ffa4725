// A program answering the library's file dialog (pharmex/dialog_script.h):
// whatever toolkit shows the dialog entry points' dialog (the headless one,
// or the window of the Windows build), a host that drives the library from a script answers it
// through these, as a user would, after the entry point returned and on the same thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace pharmex::app {

// Answers the dialog shown last (platform::answer_dialog): selects entry
// `file_type` of its file-type list when given, types `path` and presses
// Enter. The result codes of pharmex_dialog_answer: 0 closed after its run,
// 1 the run failed, 2 the name was refused (both record their message as the
// last error when there is one), -1 no dialog is open. A file type
// outside the list throws std::out_of_range.
int32_t answer_dialog(std::string_view path, std::optional<int> file_type);

// Presses Esc in the dialog shown last: 0, or -1 when no dialog is
// open.
int32_t cancel_dialog();

}  // namespace pharmex::app
