#include "import/order_merger.h"

#include <string>
#include <string_view>
#include <utility>

namespace pharmex::importing {

namespace {

constexpr std::u16string_view kRecIdColumn = u"RecId";
constexpr std::u16string_view kQuantityColumn = u"qty";

}  // namespace

OrderMerger::OrderMerger(host::HostDataSet prices, host::HostDataSet lines,
                         const RegionalSettings& settings)
    : settings_(settings),
      prices_(std::move(prices)),
      lines_(std::move(lines)),
      quantity_({}, "qty") {
  int32_t count = lines_.field_count();
  for (int32_t index = 0; index < count; ++index) {
    host::HostField column = lines_.field(index);
    std::u16string name = column.name_utf16();
    if (name == kRecIdColumn) continue;
    if (name == kQuantityColumn) {
      quantity_ = column;
      new_line_.push_back({std::move(column), host::HostField()});
      continue;
    }
    host::HostField price = prices_.field_by_name(std::u16string_view(name));
    if (price) new_line_.push_back({std::move(column), std::move(price)});
  }
  // A null field raises the host layer's message for a column the host
  // lacks; asking for its name here fails the run before any record.
  if (!quantity_) quantity_.name_utf16();
}

bool OrderMerger::offered(const Variant& key) {
  return prices_.locate(kOrderKeyColumns, key);
}

void OrderMerger::merge_offered(const Variant& key, const Variant& quantity) {
  if (lines_.locate(kOrderKeyColumns, key)) {
    raise_quantity(quantity);
  } else {
    append_line(quantity);
  }
}

void OrderMerger::raise_quantity(const Variant& quantity) {
  lines_.edit();
  quantity_.set_value(add(quantity_.value(), quantity, settings_));
  lines_.post();
}

void OrderMerger::append_line(const Variant& quantity) {
  lines_.append();
  for (const NewLineValue& value : new_line_) {
    value.line.set_value(value.price ? value.price.value() : quantity);
  }
  lines_.post();
}

}  // namespace pharmex::importing
