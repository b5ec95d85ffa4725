#include "export/fixed_row.h"

#include <string>
#include <utility>

namespace pharmex::exporting {

size_t FixedRow::slot(const host::HostDataSet* dataset, std::string_view name) {
  for (size_t index = 0; index < slots_.size(); ++index) {
    if (slots_[index].dataset == dataset && slots_[index].name == name) return index;
  }
  // A layout without a header dataset has none of its columns.
  host::HostField field = dataset != nullptr ? dataset->field_by_name(name)
                                             : host::HostField(nullptr, std::string(name));
  slots_.push_back({dataset, name, std::move(field), std::nullopt});
  return slots_.size() - 1;
}

Variant FixedRow::value(size_t slot) {
  Slot& column = slots_[slot];
  if (!column.value) column.value = column.field.value();
  return *column.value;
}

void FixedRow::next_row() {
  for (Slot& column : slots_)
    column.value.reset();
}

}  // namespace pharmex::exporting
