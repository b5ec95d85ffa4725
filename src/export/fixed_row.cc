#include "export/fixed_row.h"

#include <string>
#include <utility>

#include "export/host_value_copy.h"

namespace pharmex::exporting {

size_t FixedRow::ask(const host::HostDataSet* dataset, std::string_view name) {
  const size_t answer = search(dataset, name);
  const Asked asked{dataset, name.data(), name.size(), answer};
  if (asked_count_ < asked_.size()) {
    asked_[asked_count_] = asked;
  } else {
    asked_.push_back(asked);
  }
  ++asked_count_;
  return answer;
}

size_t FixedRow::search(const host::HostDataSet* dataset, std::string_view name) {
  for (size_t index = 0; index < slots_.size(); ++index) {
    const Slot& known = *slots_[index];
    if (known.dataset == dataset && known.name == name) return index;
  }
  // A layout without a header dataset has none of its columns.
  host::HostField field = dataset != nullptr ? dataset->field_by_name(name)
                                             : host::HostField(nullptr, std::string(name));
  slots_.push_back(std::make_unique<Slot>(
      Slot{dataset, name, std::move(field), clock_of(dataset), AbiVariant(), Variant()}));
  return slots_.size() - 1;
}

const Variant& FixedRow::value(size_t slot) {
  Slot& column = read(slot);
  if (!column.converted) {
    column.field.to_variant(column.raw, column.value);
    column.converted = true;
  }
  return column.value;
}

void FixedRow::next_row() {
  ++row_;
  asked_count_ = 0;
}

}  // namespace pharmex::exporting
