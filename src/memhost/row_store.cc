#include "memhost/row_store.h"

#include <stdexcept>

namespace pharmex::memhost {

RowStore::RowStore(std::unique_ptr<CsvFileRows> file)
    : file_(std::move(file)), file_rows_(file_->size()) {}

const Variant& RowStore::value(size_t row, size_t column) const {
  if (row >= file_rows_) return rows_.at(row - file_rows_).at(column);
  if (!replaced_.empty()) {
    auto held = replaced_.find(row);
    if (held != replaced_.end()) return held->second.at(column);
  }
  if (column >= file_->columns().size()) throw std::out_of_range("no such column");
  return file_->value(row, column);
}

void RowStore::abi_value(size_t row, size_t column, PxVariant& out) const {
  if (row >= file_rows_ || (!replaced_.empty() && replaced_.contains(row)) ||
      column >= file_->columns().size()) {
    out = AbiVariant(value(row, column)).release();
    return;
  }
  file_->abi_value(row, column, out);
}

std::vector<Variant> RowStore::row(size_t row) const {
  if (row >= file_rows_) return rows_.at(row - file_rows_);
  if (auto held = replaced_.find(row); held != replaced_.end()) return held->second;
  std::vector<Variant> values;
  values.reserve(file_->columns().size());
  for (size_t column = 0; column < file_->columns().size(); ++column)
    values.push_back(file_->value(row, column));
  return values;
}

void RowStore::replace(size_t row, std::vector<Variant> values) {
  if (row >= file_rows_) {
    rows_.at(row - file_rows_) = std::move(values);
  } else {
    replaced_[row] = std::move(values);
  }
}

}  // namespace pharmex::memhost
