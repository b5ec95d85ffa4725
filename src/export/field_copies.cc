#include "export/field_copies.h"

#include <utility>

namespace pharmex::exporting {

void FieldCopies::add(host::HostField column, dbf::TDbfField& field) {
  copies_.push_back({std::move(column), &field});
}

void FieldCopies::copy_row() const {
  for (const Copy& copy : copies_)
    copy.field->SetValue(copy.column.value());
}

}  // namespace pharmex::exporting
