// The generic waybill table, the routine behind the waybill dialog's file
// types 0 ("DBF 4 (dBaseIV)(*.dbf)|*.dbf") and 3 ("GornyVershini|*.dbf"),
// which write the same file: a generic table (export/generic_table_export.h)
// of the waybill columns of the header dataset, then of the lines dataset,
// one record per line that passes the waybill line filter
// (export/waybill_lines.h), carrying its own waybill's header values. The
// folder of the path is remembered under "waybill_export_path".
//
// A listed column in both datasets ("id" in the lines as well) makes the
// field list invalid: no file is written.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "host/run_context.h"

namespace pharmex::exporting {

// The context's main dataset holds the waybill headers, its lines dataset the lines.
void generic_waybill_routine(host::RunContext& context, const std::string& path);

// The waybill column list: the host columns that may become fields.
std::span<const std::string_view> waybill_columns();

}  // namespace pharmex::exporting
