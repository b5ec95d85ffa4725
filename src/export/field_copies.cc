#include "export/field_copies.h"

#include <span>
#include <utility>

#include "export/host_value_copy.h"

namespace pharmex::exporting {

void FieldCopies::add(host::HostField column, dbf::TDbfField& field, const uint64_t* moves) {
  if (moves != nullptr && kept_count_ == copies_.size()) {
    ++kept_count_;
  } else {
    moves = nullptr;
  }
  copies_.push_back({std::move(column), &field, moves, AbiVariant(), Variant()});
}

void FieldCopies::copy_kept(Copy& copy) {
  const bool fresh = copy.read_in != *copy.moves;
  if (fresh) {
    copy.column.read_raw(copy.raw);
    copy.read_in = *copy.moves;
  }
  // A kept value of another tag is the variant converted when it was read:
  // the host's own strings do not outlive the next host call.
  if (copy_host_value(copy.raw.get(), *copy.field)) return;
  if (fresh) copy.column.to_variant(copy.raw, copy.value);
  copy.field->SetValue(copy.value);
}

void FieldCopies::copy_row() {
  // The bounds are taken once: the calls below could, for all the compiler
  // knows, change the vector.
  const std::span<Copy> copies(copies_);
  for (Copy& copy : copies.first(kept_count_))
    copy_kept(copy);
  for (Copy& copy : copies.subspan(kept_count_)) {
    copy.column.read_raw(copy.raw);
    if (copy_host_value(copy.raw.get(), *copy.field)) continue;
    copy.column.to_variant(copy.raw, copy.value);
    copy.field->SetValue(copy.value);
  }
}

}  // namespace pharmex::exporting
