#include "export/fixed_row.h"

#include <string>
#include <utility>

namespace pharmex::exporting {

size_t FixedRow::slot(const host::HostDataSet* dataset, std::string_view name) {
  for (size_t index = 0; index < slots_.size(); ++index) {
    const Slot& known = slots_[index];
    if (known.dataset == dataset && known.name.size() == name.size() &&
        (known.name.data() == name.data() || known.name == name))
      return index;
  }
  // A layout without a header dataset has none of its columns.
  host::HostField field = dataset != nullptr ? dataset->field_by_name(name)
                                             : host::HostField(nullptr, std::string(name));
  slots_.push_back({dataset, name, std::move(field), Variant(), false});
  return slots_.size() - 1;
}

const Variant& FixedRow::value(size_t slot) {
  Slot& column = slots_[slot];
  if (!column.read) {
    column.field.read_value(column.value);
    column.read = true;
  }
  return column.value;
}

void FixedRow::next_row() {
  for (Slot& column : slots_)
    column.read = false;
}

}  // namespace pharmex::exporting
