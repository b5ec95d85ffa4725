// Preparing and showing the file dialog of a document kind: the work of every
// dialog entry point.
//
// open_dialog, in order: makes the toolkit answer "which window is active?"
// with the host window; creates the dialog object and disables the host
// window; installs the four handlers and runs the file-name handler once (the
// confirm button starts disabled); sets the title, the confirm caption, the
// options (read-only box hidden, hints shown, no overwrite or create prompt,
// the file need not exist), the place buttons' texts; fills the kind's file
// types and applies entry 0; gives the dialog its copy of the run context
// (window, datasets, callbacks, remembered folders) and the icon "MAINICON";
// proposes the kind's file name (which enables the confirm button); reads the
// remembered folder as the initial folder; shows the dialog without waiting.
// Whatever happens, the toolkit's previous active-window answer is restored;
// the caller's context keeps the entry's own references, which it drops when
// it returns (the dialog keeps its own).
//
// A failure while preparing (a remembered folder of the wrong type, a host
// failing while the name is proposed) is raised after the host window has
// been enabled again and the unshown dialog destroyed: nothing is left behind.
#pragma once

#include <string>

#include "app/document_kind.h"
#include "app/shell_open_save_form.h"
#include "host/host_ref.h"
#include "host/run_context.h"
#include "pharmex/host.h"

namespace pharmex::app {

// Prepares and shows the dialog of `kind` (see above) in the process-wide
// toolkit, and returns at once. `context` is what the dialog's routines run
// with; its window is the host window.
void open_dialog(const DocumentKind& kind, const host::RunContext& context);

// The name the dialog of `kind` proposes, read from the main dataset where
// the kind asks for "native_id" (a null dataset or a missing column proposes
// the fallback name; a host failure is raised). It is always one file-name
// component (see ProposedName).
std::string propose_file_name(const DocumentKind& kind, const host::HostRef<IDataSet>& main);

}  // namespace pharmex::app
