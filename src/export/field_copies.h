// FieldCopies: the host column -> table field pairs of one table routine,
// resolved once per run (after the table was opened, before the first row) so
// that a row costs one value read and one assignment per pair and no lookup
// by name: exports run to hundreds of thousands of rows. The usual host
// values go into the field as the host returned them
// (export/host_value_copy.h); for the rest each pair keeps the variant its
// column's values are converted into, so texts allocate nothing once the
// first rows have made room.
#pragma once

#include <cstddef>
#include <vector>

#include "core/abi_variant.h"
#include "dbf/dbf_field.h"
#include "host/host_field.h"

namespace pharmex::exporting {

class FieldCopies {
 public:
  // Adds a pair; the copies run in the order they were added, so a later pair
  // for the same field replaces what an earlier one stored. `field` must stay
  // valid while the copies are used (until the table closes).
  void add(host::HostField column, dbf::TDbfField& field);

  // Assigns each field the value of its column in the host's current row
  // (conversions of the table's field kinds; a null column stores the
  // field's null form). A column the host lacks fails here, naming it.
  void copy_row();

  size_t size() const { return copies_.size(); }

 private:
  struct Copy {
    host::HostField column;
    dbf::TDbfField* field;
    AbiVariant raw;
    Variant value;
  };
  std::vector<Copy> copies_;
};

}  // namespace pharmex::exporting
