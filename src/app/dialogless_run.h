// The runs of the dialog-less entry points (price_export_to_file,
// waybill_export_ToPath, order_import_from_file). Each runs one routine on
// the run context the entry point built (window 0, its datasets and
// callbacks); no dialog object is made. The entry point's context releases
// its references when the entry returns, also when the routine failed, whose
// failure is then raised.
#pragma once

#include <string>

#include "app/document_kind.h"
#include "host/run_context.h"

namespace pharmex::app {

// Runs the kind's routine of `file_type` on `path` exactly as given (no
// extension is added). An index without a routine runs nothing.
void run_without_dialog(const DocumentKind& kind, host::RunContext& context, int file_type,
                        const std::string& path);

// Runs the layout dispatcher as a dialog confirmed with the kind's file type
// `file_type` would, on `folder` followed directly by the proposed file name
// (no separator is inserted: pass the folder with its trailing "/"). The
// proposed name is one file-name component, so with the trailing "/" the file
// lands in `folder` whatever the host's data say. Returns the path the
// routine ran on, with the type's extension where the name had none; "" when
// nothing ran. Nothing at all happens when `folder` is not an existing
// folder. An index outside the list fails with "File type %d is not one of
// the layouts 0 to %d" before anything is done.
std::string run_in_folder(const DocumentKind& kind, host::RunContext& context,
                          const std::string& folder, int file_type);

}  // namespace pharmex::app
