// FieldCopies: the host column -> table field pairs of one table routine,
// resolved once per run (after the table was opened, before the first row) so
// that a row costs one value read and one assignment per pair and no lookup
// by name: exports run to hundreds of thousands of rows. The usual host
// values go into the field as the host returned them
// (export/host_value_copy.h); for the rest each pair keeps the variant its
// column's values are converted into, so texts allocate nothing once the
// first rows have made room.
//
// A pair may come with a count of its dataset's cursor moves (a waybill's
// header, from the line filter): its column is then read once per move
// instead of once per row, and the value assigned again on every row. Such
// pairs come first (a header's before the lines'); one added after a pair
// without moves is read on every row, so that the order stays the order of
// adding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/abi_variant.h"
#include "dbf/dbf_field.h"
#include "host/host_field.h"

namespace pharmex::exporting {

class FieldCopies {
 public:
  // Adds a pair; the copies run in the order they were added, so a later pair
  // for the same field replaces what an earlier one stored. `field` must stay
  // valid while the copies are used (until the table closes), and `moves`,
  // when given, as long (it counts from 1).
  void add(host::HostField column, dbf::TDbfField& field, const uint64_t* moves = nullptr);

  // Assigns each field the value of its column in the host's current row
  // (conversions of the table's field kinds; a null column stores the
  // field's null form). A column the host lacks fails here, naming it.
  void copy_row();

  size_t size() const { return copies_.size(); }

 private:
  struct Copy {
    host::HostField column;
    dbf::TDbfField* field;
    const uint64_t* moves;
    AbiVariant raw;
    Variant value;
    uint64_t read_in = 0;  // *moves when raw was last read
  };
  void copy_kept(Copy& copy);

  std::vector<Copy> copies_;
  size_t kept_count_ = 0;  // the first copies, which have moves
};

}  // namespace pharmex::exporting
