// RowStore: the rows of a MemoryDataSet. They are all held in memory, or
// they are the rows of a CSV file read on demand (memhost/csv_file_rows.h)
// followed by rows held in memory: those appended since, beside the file's
// rows. A file row that is replaced (an edited row posted) is held in memory
// from then on and read instead of the file's; the file is never written.
#pragma once

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/variant.h"
#include "memhost/csv_file_rows.h"

namespace pharmex::memhost {

class RowStore {
 public:
  RowStore() = default;
  explicit RowStore(std::unique_ptr<CsvFileRows> file);

  size_t size() const { return file_rows_ + rows_.size(); }

  // A stored value; the reference holds until the next call of the store.
  // Throws std::out_of_range outside the rows and columns.
  const Variant& value(size_t row, size_t column) const;
  // The same in the host's form, written into `out`, which holds nothing to
  // free (an empty or null variant) and is left so on a throw.
  void abi_value(size_t row, size_t column, PxVariant& out) const;
  // A copy of a whole row.
  std::vector<Variant> row(size_t row) const;

  void append(std::vector<Variant> values) { rows_.push_back(std::move(values)); }
  // Puts `values` in the place of row `row`, which must exist.
  void replace(size_t row, std::vector<Variant> values);

 private:
  std::unique_ptr<CsvFileRows> file_;
  size_t file_rows_ = 0;
  std::vector<std::vector<Variant>> rows_;                     // after the file's rows
  std::unordered_map<size_t, std::vector<Variant>> replaced_;  // file rows, by row
};

}  // namespace pharmex::memhost
