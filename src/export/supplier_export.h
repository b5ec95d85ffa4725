// The supplier routine behind the supplier dialog's only file type ("DBF 4
// (dBaseIV)(*.dbf)|*.dbf"): the generic table of the supplier list's "id" and
// "name" columns, one record per supplier. The folder of the path is
// remembered under "supplier_export_path".
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "host/run_context.h"

namespace pharmex::exporting {

// The context's main dataset holds the suppliers.
void supplier_routine(host::RunContext& context, const std::string& path);

// The supplier column list: the host columns that may become fields.
std::span<const std::string_view> supplier_columns();

}  // namespace pharmex::exporting
