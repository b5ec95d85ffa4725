// MemoryField: the IField a MemoryDataSet hands out for one of its columns.
//
// Each GetField or FieldByName creates a new MemoryField with one reference,
// which the caller releases; the field holds a reference on its dataset, so a
// field never outlives the rows it reads. Value and SetValue act on the
// dataset's current row; they count as calls of the dataset (for call counts
// and planned failures) and fail the way the dataset's operations do.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "host/host_ref.h"
#include "memhost/memory_dataset.h"
#include "pharmex/host.h"

namespace pharmex::memhost {

class MemoryField : public IField {
 public:
  // A field for column `column` (which must exist) of `dataset`.
  static host::HostRef<MemoryField> create(host::HostRef<MemoryDataSet> dataset, size_t column);

  MemoryField(const MemoryField&) = delete;
  MemoryField& operator=(const MemoryField&) = delete;

  // Fields not yet deleted, in the whole process.
  static int64_t live_count();
  uint32_t ref_count() const { return refs_; }

  MemoryDataSet& dataset() const { return *dataset_; }
  size_t column() const { return column_; }

 private:
  friend struct FieldVtable;

  MemoryField(host::HostRef<MemoryDataSet> dataset, size_t column);
  ~MemoryField();

  std::atomic<uint32_t> refs_{1};
  host::HostRef<MemoryDataSet> dataset_;
  size_t column_;
  std::vector<PxChar16> name_;  // zero-terminated, returned by Name
};

}  // namespace pharmex::memhost
