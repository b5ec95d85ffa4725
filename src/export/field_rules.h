// How a host column becomes a table field in the generic layouts: the
// field-name rule shortens known long column names so that they fit a dBase
// field name (10 characters), and the field-type rule derives the field
// specification ("name;T;len;dec") from the column's type and width.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/host_field.h"

namespace pharmex::exporting {

// The field name of a host column name (both ANSI): the shortened name of the
// fixed table when the column name matches an entry (both upper-cased by the
// ANSI code page's rules), otherwise the name itself.
std::string field_name_for_column(std::string_view column_name);

// The shortened name of the fixed table for a column name it lists (matched
// as above); nothing for any other column.
std::optional<std::string_view> shortened_field_name(std::string_view column_name);

// The field specification after the name for a column type (a TFieldType
// ordinal, low 7 bits) and width: "C;60;0", "N;11;0", ...; empty when columns
// of that type get no field. A string column whose width is 0 or below gets
// no field either (a zero-width character field cannot be created).
std::string type_specification(uint8_t type, int32_t size);

// The whole specification of a host column ("suppl_id;N;11;0"), or empty when
// the column gets no field (its type has none, or its name is empty).
std::string field_specification(const host::HostField& column);

}  // namespace pharmex::exporting
