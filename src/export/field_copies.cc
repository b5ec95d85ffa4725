#include "export/field_copies.h"

#include <utility>

namespace pharmex::exporting {

void FieldCopies::add(host::HostField column, dbf::TDbfField& field) {
  copies_.push_back({std::move(column), &field, Variant()});
}

void FieldCopies::copy_row() {
  for (Copy& copy : copies_) {
    copy.column.read_value(copy.value);
    copy.field->SetValue(copy.value);
  }
}

}  // namespace pharmex::exporting
