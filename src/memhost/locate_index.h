// LocateIndex: the rows of a MemoryDataSet grouped by the hash of their values
// in some key columns, so that Locate looks at the few rows whose key hashes
// like the one asked for instead of at every row. An import of N records
// locates each record's article among the order lines appended so far;
// without the index that is N x N comparisons.
//
// The index only narrows the search: Locate still compares each candidate
// with the variant rules, so two keys that merely share a hash never match.
// Values that compare equal must therefore hash alike, which holds within one
// typed column (a column holds null or its own kind only): text by its code
// units (case counts), numbers by value (0 and -0 alike), dates by their
// day count, Booleans as 0 and 1, null as null.
//
// The candidates of a hash are kept in ascending row order, so the first one
// that matches is the first matching row, as a scan from the top finds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/variant.h"

namespace pharmex::memhost {

class LocateIndex {
 public:
  // An empty index over these key columns (indexes into a row).
  explicit LocateIndex(std::vector<size_t> columns) : columns_(std::move(columns)) {}

  const std::vector<size_t>& columns() const { return columns_; }

  // The hash of a row's values in the key columns.
  uint64_t row_hash(const std::vector<Variant>& row) const {
    return row_hash_of([&](size_t column) -> const Variant& { return row[column]; });
  }
  // The same for a row whose value in a column `value_of(column)` gives (a
  // row read on demand); each value is used before the next is asked for.
  template <class ValueOf>
  uint64_t row_hash_of(ValueOf&& value_of) const {
    uint64_t hash = 0;
    for (size_t column : columns_)
      hash = mix(hash, value_hash(value_of(column)));
    return hash;
  }
  // The hash of key values, one per key column in order.
  static uint64_t key_hash(const std::vector<Variant>& keys);

  // Adds `row` under `hash`; rows are usually added in ascending order.
  void add(size_t row, uint64_t hash);
  // Removes `row` from under `hash`, where it must be.
  void remove(size_t row, uint64_t hash);

  // The first row under `hash`, in ascending order, for which `matches`
  // answers true; none when there is no such row.
  template <class Matches>
  std::optional<size_t> find(uint64_t hash, Matches&& matches) const {
    auto chain = chains_.find(hash);
    if (chain == chains_.end()) return std::nullopt;
    for (size_t row = chain->second.first; row != kNone; row = next_[row]) {
      if (matches(row)) return row;
    }
    return std::nullopt;
  }

 private:
  static constexpr size_t kNone = std::numeric_limits<size_t>::max();
  struct Chain {
    size_t first;
    size_t last;
  };

  static uint64_t value_hash(const Variant& value);
  static uint64_t mix(uint64_t hash, uint64_t value) {
    // Order matters: (a, b) and (b, a) are different keys.
    return hash ^ (value + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2));
  }

  std::vector<size_t> columns_;
  std::unordered_map<uint64_t, Chain> chains_;
  std::vector<size_t> next_;  // per row: the next row of its chain, or kNone
};

}  // namespace pharmex::memhost
