#include "memhost/locate_index.h"

#include <cmath>
#include <cstring>
#include <functional>
#include <string_view>

namespace pharmex::memhost {

namespace {

constexpr uint64_t kNullHash = 0x6E756C6C6E756C6Cull;

uint64_t number_hash(double number) {
  // Whole numbers hash as the integer they are; 0 and -0 alike.
  if (number == std::trunc(number) && std::fabs(number) < 9.2e18) {
    return std::hash<int64_t>()(static_cast<int64_t>(number));
  }
  uint64_t bits = 0;
  std::memcpy(&bits, &number, sizeof bits);
  return std::hash<uint64_t>()(bits);
}

}  // namespace

uint64_t LocateIndex::value_hash(const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::Null:
    case Variant::Kind::Empty:
      return kNullHash;
    case Variant::Kind::String:
      return std::hash<std::u16string_view>()(value.string_value());
    case Variant::Kind::SmallInt:
    case Variant::Kind::Integer:
    case Variant::Kind::Int64:
      return std::hash<int64_t>()(value.whole_value());
    case Variant::Kind::Boolean:
      return std::hash<int64_t>()(value.boolean_value() ? 1 : 0);
    case Variant::Kind::Currency:
      return number_hash(static_cast<double>(value.whole_value()) / 10000);
    case Variant::Kind::Double:
    case Variant::Kind::Date:
      return number_hash(value.double_value());
    case Variant::Kind::Array:
      break;
  }
  return 0;  // arrays equal nothing: any hash will do
}

uint64_t LocateIndex::key_hash(const std::vector<Variant>& keys) {
  uint64_t hash = 0;
  for (const Variant& key : keys)
    hash = mix(hash, value_hash(key));
  return hash;
}

void LocateIndex::add(size_t row, uint64_t hash) {
  if (next_.size() <= row) next_.resize(row + 1, kNone);
  next_[row] = kNone;
  auto [chain, created] = chains_.try_emplace(hash, Chain{row, row});
  if (created) return;
  Chain& c = chain->second;
  if (row > c.last) {  // the usual case: a row appended at the end
    next_[c.last] = row;
    c.last = row;
    return;
  }
  if (row < c.first) {
    next_[row] = c.first;
    c.first = row;
    return;
  }
  size_t before = c.first;
  while (next_[before] != kNone && next_[before] < row)
    before = next_[before];
  next_[row] = next_[before];
  next_[before] = row;
}

void LocateIndex::remove(size_t row, uint64_t hash) {
  auto chain = chains_.find(hash);
  if (chain == chains_.end()) return;
  Chain& c = chain->second;
  if (c.first == row) {
    if (c.last == row) {
      chains_.erase(chain);
    } else {
      c.first = next_[row];
    }
    next_[row] = kNone;
    return;
  }
  size_t before = c.first;
  while (next_[before] != kNone && next_[before] != row)
    before = next_[before];
  if (next_[before] != row) return;
  next_[before] = next_[row];
  if (c.last == row) c.last = before;
  next_[row] = kNone;
}

}  // namespace pharmex::memhost
