// The order routine behind the order dialog's only file type ("DBF 4
// (dBaseIV)(*.dbf)|*.dbf"): the generic table of an order, one record per
// order line joined with its header.
//
// The fields are those of the order column list, the header dataset's
// columns first. The lines are walked; a line is written when the header
// dataset can be positioned on its order (Locate of "id" equal to the line's
// "orderheads_id"), and carries that header's values. A line whose order is
// not there is skipped and not counted for progress. The folder of the path
// is remembered under "order_export_path".
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "host/run_context.h"

namespace pharmex::exporting {

// The context's main dataset holds the order headers, its lines dataset the lines.
void order_routine(host::RunContext& context, const std::string& path);

// The order column list: the host columns that may become fields.
std::span<const std::string_view> order_columns();

}  // namespace pharmex::exporting
