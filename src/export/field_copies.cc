#include "export/field_copies.h"

#include <utility>

#include "export/host_value_copy.h"

namespace pharmex::exporting {

void FieldCopies::add(host::HostField column, dbf::TDbfField& field, const uint64_t* moves) {
  copies_.push_back({std::move(column), &field, moves, AbiVariant(), Variant()});
}

void FieldCopies::copy_row() {
  for (Copy& copy : copies_) {
    const bool fresh = copy.moves == nullptr || copy.read_in != *copy.moves;
    if (fresh) {
      copy.column.read_raw(copy.raw);
      if (copy.moves != nullptr) copy.read_in = *copy.moves;
    }
    // A kept value of another tag is the variant converted when it was read:
    // the host's own strings do not outlive the next host call.
    if (copy_host_value(copy.raw.get(), *copy.field)) continue;
    if (fresh) copy.column.to_variant(copy.raw, copy.value);
    copy.field->SetValue(copy.value);
  }
}

}  // namespace pharmex::exporting
