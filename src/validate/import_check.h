// What the import would do with each record of an order file, given the
// price list it would look the articles up in: the order file is opened as
// the import opens it (the table dataset, shared, deleted records passed
// over) and every record's key (supplier, article) is located in the price
// list by the columns "suppliers_id;art_id". A record whose article the price
// list lacks changes nothing; a record without a quantity adds nothing; a
// record the table dataset cannot read stops the import there. Nothing is
// written: the order lines are not needed, the order file is opened
// read-only.
#pragma once

#include <string>

#include "dbf/engine_options.h"
#include "host/host_ref.h"
#include "pharmex/host.h"
#include "validate/finding.h"
#include "validate/table_layout.h"
#include "validate/table_structure.h"

namespace pharmex::validate {

// `path` is ANSI; `table` the structure found by check_structure, for the
// byte offsets of the findings.
void check_import(const std::string& path, const TableStructure& table, const TableLayout& layout,
                  host::HostRef<IDataSet> prices, const dbf::EngineOptions& options,
                  Findings& findings);

}  // namespace pharmex::validate
