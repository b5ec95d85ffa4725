// The --type N and --layout NAME options of the export and import commands:
// a file type of the document kind, by its index in the dialog's list or by
// the short name the kind gives it ("dbf4", "efarma-sst", ...). The tool
// knows the layouts only through the kinds.
#pragma once

#include "app/document_kind.h"
#include "cli.h"

namespace pharmex::cli {

// The file-type index the options choose; 0 when neither is given. Throws
// UsageError for both at once, an unknown name (listing the kind's names) or
// a --type that is not a number of the list.
int layout_index(Arguments& args, const app::DocumentKind& kind);

}  // namespace pharmex::cli
