// The layout dispatcher: on a confirmed close (or for a dialog-less run) it
// takes the index of the file type selected in the dialog's list and the
// chosen path, and runs that type's routine on the run context.
//
// The extension rule, the same for every kind: a path whose last component
// has no "." gets the selected type's extension, the mask from its last "."
// on ("*.dbf" gives ".dbf"); a path with an extension, even another one
// ("list.txt" with the dBase type), is used unchanged.
#pragma once

#include <string>
#include <string_view>

#include "app/document_kind.h"
#include "host/run_context.h"

namespace pharmex::app {

// A mask's extension, from its last "." on; "" when it has none.
std::string_view mask_extension(std::string_view mask);

// The path with the mask's extension appended when its last component has no ".".
std::string with_type_extension(std::string_view path, std::string_view mask);

// Runs the routine of file type `index` on the chosen path, after the
// extension rule, and returns the path it ran on. An index without a routine
// (-1 for none selected, or an index the kind has no routine for) runs
// nothing and returns "".
std::string dispatch_layout(const DocumentKind& kind, int index, std::string_view chosen,
                            host::RunContext& context);

}  // namespace pharmex::app
