// FieldTextMemo: the last number, whole number or date each field of a table
// was given, with the bytes it made in the record. Exports write values that
// repeat from record to record (a run's totals, the VAT rate, the delivery's
// date, a quantity of one): a repeated value's bytes are copied back instead
// of formatted again. A value's bytes depend only on the value and the
// field's definition, which stays as it is while the table is open; the memo
// is reset when the table is opened again.
//
// The bytes are kept only once a field's value has repeated: a field whose
// values change from record to record (a price, an expiry date) costs the
// comparison of its key and nothing more.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

namespace pharmex::dbf {

// Copies `size` bytes, at most FieldTextMemo::kMaxWidth, with fixed-size
// moves (two that overlap for the sizes between two powers of two) rather
// than a call of memcpy for a handful of bytes.
inline void CopyFieldBytes(char* to, const char* from, size_t size) {
  if (size >= 8) {
    std::memcpy(to, from, 8);
    if (size > 16) std::memcpy(to + 8, from + 8, 8);
    std::memcpy(to + size - 8, from + size - 8, 8);
  } else if (size >= 4) {
    std::memcpy(to, from, 4);
    std::memcpy(to + size - 4, from + size - 4, 4);
  } else {
    for (size_t i = 0; i < size; ++i)
      to[i] = from[i];
  }
}

class FieldTextMemo {
 public:
  enum class Kind : uint8_t { kNumber, kWhole, kDate };
  // Wider fields are never kept (numeric fields are at most 20 bytes).
  static constexpr size_t kMaxWidth = 20;

  // Forgets every value, for a table of `field_count` fields.
  void Reset(size_t field_count) { entries_.assign(field_count, Entry{}); }

  // The bytes `width` wide the field holds after being given `key` (a
  // double's bits, or a whole number) of `kind`, when that repeats its last
  // value and they were kept; null otherwise.
  const char* Recall(int field, Kind kind, uint64_t key, size_t width) {
    Entry& entry = entries_[static_cast<size_t>(field)];
    if (entry.key != key || entry.kind != kind) {
      entry.keep = false;
      return nullptr;
    }
    if (entry.kept) return entry.bytes;
    entry.keep = width <= kMaxWidth;
    return nullptr;
  }

  // The field was given `key` and now holds `bytes` (after a Recall that
  // returned null).
  void Remember(int field, Kind kind, uint64_t key, std::span<const char> bytes) {
    Entry& entry = entries_[static_cast<size_t>(field)];
    entry.key = key;
    entry.kind = kind;
    entry.kept = entry.keep;
    if (entry.kept) CopyFieldBytes(entry.bytes, bytes.data(), bytes.size());
  }

 private:
  struct Entry {
    uint64_t key = 0;
    Kind kind = Kind::kNumber;
    bool keep = false;  // the value repeated the one before: keep its bytes
    bool kept = false;  // `bytes` are those of `key`
    char bytes[kMaxWidth] = {};
  };
  std::vector<Entry> entries_;
};

}  // namespace pharmex::dbf
