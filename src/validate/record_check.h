// The records of a table: each one's deletion flag (a space; "*" marks a
// deleted record, which the import passes over and the library never
// writes), then each field's bytes (validate/cell_check.h) and memo pointer
// (validate/memo_check.h). Only the first defect of a field is reported, at
// its byte.
#pragma once

#include "platform/file_system.h"
#include "validate/finding.h"
#include "validate/table_file.h"
#include "validate/table_layout.h"
#include "validate/table_structure.h"

namespace pharmex::validate {

void check_records(TableFile& file, const TableStructure& table, const TableLayout& layout,
                   platform::FileSystem& file_system, Findings& findings);

}  // namespace pharmex::validate
