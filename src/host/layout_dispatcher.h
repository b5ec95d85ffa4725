// The layout dispatcher: on a confirmed close (or for a dialog-less run) it
// takes the file type selected in the dialog object's list and the chosen
// path, and runs that type's routine.
//
// The extension rule, the same for every kind: a path whose last component
// has no "." gets the selected type's extension, the mask from its last "."
// on ("*.dbf" gives ".dbf"); a path with an extension, even another one
// ("list.txt" with the dBase type), is used unchanged.
#pragma once

#include <string>
#include <string_view>

#include "host/document_kind.h"

namespace pharmex::host {

class TShellOpenSaveForm;

// A mask's extension, from its last "." on; "" when it has none.
std::string_view mask_extension(std::string_view mask);

// The path with the mask's extension appended when its last component has no ".".
std::string with_type_extension(std::string_view path, std::string_view mask);

// Runs the routine of the selected file type on the form's file name, after
// the extension rule, and returns the path it ran on. A selection without a
// routine (none selected, or an index the kind has no routine for) runs
// nothing and returns "".
std::string dispatch_layout(const DocumentKind& kind, TShellOpenSaveForm& form);

}  // namespace pharmex::host
