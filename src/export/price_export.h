// The generic price table, the routine behind the price dialog's file type 0
// ("DBF 4 (dBaseIV)(*.dbf)|*.dbf") and price_export_to_file: a generic table
// (export/generic_table_export.h) of the price list's columns that are in the
// price column list, one record per row, every row written. The folder of
// the path is remembered under "price_export_path".
//
// The partner layouts of types 1 and 2 are export/khabarovsk_price_table.h
// and export/unico_price_table.h.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "host/run_context.h"

namespace pharmex::exporting {

// The context's main dataset holds the price list.
void generic_price_routine(host::RunContext& context, const std::string& path);

// The price column list: the host columns that may become fields.
std::span<const std::string_view> price_columns();

}  // namespace pharmex::exporting
