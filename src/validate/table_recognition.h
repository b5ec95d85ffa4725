// Which table layout a table's fields point to when --layout does not say.
// Each layout scores by the field names it shares with the file:
//   fixed       the shared names over all names of both (1 for exactly the
//               layout's fields);
//   generic     the share of the file's fields that are columns of its list
//               (1 when every field is one);
//   order file  above one half when the file has every field the import
//               reads, the more so the fewer other fields it has.
// A layout scoring below one half is not taken. The best score wins; then
// the layout whose names the file covers more;
// then the layout first in the catalogue (the library's own tables before
// the order files). A price list to import against (--price) leaves only the
// order files.
#pragma once

#include <optional>
#include <string>

#include "validate/table_layout.h"
#include "validate/table_structure.h"

namespace pharmex::validate {

struct Recognition {
  const TableLayout* layout = nullptr;
  std::string reason;  // "9 of its 9 fields are those of the Khabarovsk price table"
};

// Nothing when no layout scores one half.
std::optional<Recognition> recognise_table(const TableStructure& table, bool order_files_only);

}  // namespace pharmex::validate
