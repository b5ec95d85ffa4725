// The field-name rule: how a host column's name becomes a dBase field name.
// A dBase field name holds at most 10 characters, so the known long column
// names of the host have fixed short names ("suppliers_id" is "suppl_id",
// "dateworkfirst" "dt_w_first"); every other column keeps its name. The
// generic export tables name their fields by it, and the order import finds
// the supplier field of a DBF 4 order file (which those tables wrote) by it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pharmex::host {

// The field name of a host column name (both ANSI): the shortened name of the
// fixed table when the column name matches an entry (both upper-cased by the
// ANSI code page's rules), otherwise the name itself.
std::string field_name_for_column(std::string_view column_name);

// The shortened name of the fixed table for a column name it lists (matched
// as above); nothing for any other column.
std::optional<std::string_view> shortened_field_name(std::string_view column_name);

}  // namespace pharmex::host
