// SyntheticDataSet: a host dataset (IDataSet, IField) whose rows are made up
// on the fly from the row number, so that a benchmark measures the library
// and not the host's own storage: the memory it uses does not grow with the
// number of rows.
//
// Each column has a generator that writes the column's value in a given row
// into a host variant (strings are allocated with pharmex_string_alloc, as a
// host allocates the strings it hands over). Locate asks the table's locator,
// which computes the row holding a key from the key itself.
//
// The dataset is read-only: Append, Edit, Post and SetValue report a host
// failure. Fields are owned by the dataset; their references count on it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pharmex/host.h"

namespace pharmex::bench {

struct SyntheticColumn {
  std::u16string name;
  TFieldType type = ftString;
  int32_t size = 0;
  // Writes the value of row `row` into `out`, which holds an empty variant.
  void (*value)(int64_t row, PxVariant* out) = nullptr;
};

// The row whose key columns (names separated by ";") hold `key`, or -1.
using SyntheticLocator = int64_t (*)(std::u16string_view key_fields, const PxVariant& key);

struct SyntheticTable {
  std::vector<SyntheticColumn> columns;
  int64_t rows = 0;
  SyntheticLocator locator = nullptr;  // none: Locate finds nothing
};

class SyntheticDataSet;

// Owns one reference on a SyntheticDataSet.
class SyntheticRef {
 public:
  SyntheticRef() = default;
  explicit SyntheticRef(SyntheticDataSet* dataset) : dataset_(dataset) {}
  SyntheticRef(const SyntheticRef&) = delete;
  SyntheticRef& operator=(const SyntheticRef&) = delete;
  SyntheticRef(SyntheticRef&& other) noexcept : dataset_(other.dataset_) {
    other.dataset_ = nullptr;
  }
  ~SyntheticRef();

  IDataSet* get() const;

 private:
  SyntheticDataSet* dataset_ = nullptr;
};

// IDataSet and IField operations (AddRef and Release among them) that the
// synthetic datasets of the process have answered so far.
int64_t synthetic_operations();

// A new dataset with one reference, owned by the returned SyntheticRef.
SyntheticRef make_synthetic(SyntheticTable table);

// Helpers for generators and locators.
void set_integer(PxVariant* out, int32_t value);
void set_int64(PxVariant* out, int64_t value);
void set_double(PxVariant* out, double value);
void set_date(PxVariant* out, double days_since_1899_12_30);
// A string made of `prefix` followed by the decimal digits of `number`
// (none when `number` is negative).
void set_text(PxVariant* out, std::u16string_view prefix, int64_t number = -1);
// A whole number held by a key variant (whole kinds, a whole double, or text
// of digits); false for anything else.
bool key_number(const PxVariant& key, int64_t* value);
// Element `index` of a key that is a variant array; null when it is not one
// or has no such element.
const PxVariant* key_item(const PxVariant& key, uint32_t index);

}  // namespace pharmex::bench
