// How a host column becomes a table field in the generic layouts: the
// field-name rule (host/field_name_rule.h) names the field, and the
// field-type rule derives the field specification ("name;T;len;dec") from the
// column's type and width.
#pragma once

#include <cstdint>
#include <string>

#include "host/host_field.h"

namespace pharmex::exporting {

// The field specification after the name for a column type (a TFieldType
// ordinal, low 7 bits) and width: "C;60;0", "N;11;0", ...; empty when columns
// of that type get no field. A string column whose width is 0 or below gets
// no field either (a zero-width character field cannot be created).
std::string type_specification(uint8_t type, int32_t size);

// The whole specification of a host column ("suppl_id;N;11;0"), or empty when
// the column gets no field (its type has none, or its name is empty).
std::string field_specification(const host::HostField& column);

}  // namespace pharmex::exporting
