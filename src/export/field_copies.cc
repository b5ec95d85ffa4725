#include "export/field_copies.h"

#include <utility>

#include "export/host_value_copy.h"

namespace pharmex::exporting {

void FieldCopies::add(host::HostField column, dbf::TDbfField& field) {
  copies_.push_back({std::move(column), &field, AbiVariant(), Variant()});
}

void FieldCopies::copy_row() {
  for (Copy& copy : copies_) {
    copy.column.read_raw(copy.raw);
    if (copy_host_value(copy.raw.get(), *copy.field)) continue;
    copy.column.to_variant(copy.raw, copy.value);
    copy.field->SetValue(copy.value);
  }
}

}  // namespace pharmex::exporting
