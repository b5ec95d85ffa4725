// The supplier routine behind the supplier dialog's only file type ("DBF 4
// (dBaseIV)(*.dbf)|*.dbf"): the generic table of the supplier list's "id" and
// "name" columns, one record per supplier. The folder of the path is
// remembered under "supplier_export_path".
#pragma once

#include <string>

#include "host/shell_open_save_form.h"

namespace pharmex::exporting {

// The form's main dataset holds the suppliers.
void supplier_routine(host::TShellOpenSaveForm& form, const std::string& path);

}  // namespace pharmex::exporting
