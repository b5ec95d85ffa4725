// The field descriptors of a table, each on its own (a name of at most 10
// characters, unique; a type the library reads; a width its type can have)
// and against the layout: for a fixed layout every field in its place with
// its type, width and decimals and no other field; for a generic layout only
// fields that a listed host column gets, of a shape the field-type rule
// gives; for an order file the fields the import reads, the quantity a
// number.
#pragma once

#include "validate/finding.h"
#include "validate/table_layout.h"
#include "validate/table_structure.h"

namespace pharmex::validate {

void check_fields(const TableStructure& table, const TableLayout& layout, Findings& findings);

}  // namespace pharmex::validate
