// FieldTextMemo: the last few numbers, whole numbers or dates each field of
// a table was given, with the bytes they made in the record. Exports write
// values that repeat from record to record (a run's totals, the VAT rate,
// the delivery's date, a quantity of one): a repeated value's bytes are
// copied back instead of formatted again. A value's bytes depend only on the
// value and the field's definition, which stays as it is while the table is
// open; the memo is reset when the table is opened again.
//
// The bytes are kept only once a field's value has repeated. A field whose
// values change from record to record (a price, an expiry date) misses again
// and again: after a run of misses it rests, its values formatted without
// the comparisons, and is looked up again when the rest is over.
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
  // The values kept per field: enough for the few a column takes by turns
  // (VAT rates of 0, 10 and 20, a quantity of one or two); a fifth value
  // takes the place of the earliest of them.
  static constexpr size_t kWays = 4;
  // Misses in a row that send a field to rest, and the values it rests for.
  static constexpr uint8_t kMissesBeforeRest = 16;
  static constexpr uint16_t kRest = 256;

  // Forgets every value, for a table of `field_count` fields.
  void Reset(size_t field_count) { entries_.assign(field_count, Entry{}); }

  // The bytes `width` wide the field holds after being given `key` (a
  // double's bits, or a whole number) of `kind`, when that repeats a value
  // it was given and they were kept; null otherwise.
  const char* Recall(int field, Kind kind, uint64_t key, size_t width) {
    Entry& entry = entries_[static_cast<size_t>(field)];
    if (entry.resting != 0) {
      --entry.resting;
      entry.pending = kNoWay;
      return nullptr;
    }
    const uint8_t tag = TagOf(kind);
    for (uint8_t way = 0; way < kWays; ++way) {
      if (entry.keys[way] != key || entry.tags[way] != tag) continue;
      entry.misses = 0;
      if (entry.kept[way]) return entry.bytes[way];
      entry.pending = way;
      entry.keep = width <= kMaxWidth;
      return nullptr;
    }
    // A value not seen lately: its bytes are kept once it comes again.
    entry.pending = entry.oldest;
    entry.oldest = static_cast<uint8_t>((entry.oldest + 1) % kWays);
    entry.keep = false;
    if (++entry.misses == kMissesBeforeRest) {
      entry.misses = 0;
      entry.resting = kRest;
    }
    return nullptr;
  }

  // The field was given `key` and now holds `bytes` (after a Recall that
  // returned null).
  void Remember(int field, Kind kind, uint64_t key, std::span<const char> bytes) {
    Entry& entry = entries_[static_cast<size_t>(field)];
    const uint8_t way = entry.pending;
    if (way == kNoWay) return;  // resting
    entry.keys[way] = key;
    entry.tags[way] = TagOf(kind);
    entry.kept[way] = entry.keep;
    if (entry.keep) CopyFieldBytes(entry.bytes[way], bytes.data(), bytes.size());
  }

 private:
  // The pending way of a resting field: nothing to remember.
  static constexpr uint8_t kNoWay = kWays;
  // A way's tag: its value's kind, from 1; 0 while the way holds none.
  static uint8_t TagOf(Kind kind) { return static_cast<uint8_t>(static_cast<uint8_t>(kind) + 1); }

  // The ways side by side, keys first: a value not kept is told by its key.
  struct Entry {
    uint64_t keys[kWays] = {};
    uint8_t tags[kWays] = {};
    bool kept[kWays] = {};  // bytes[way] are those of keys[way]
    uint8_t oldest = 0;     // the way a value not seen lately takes
    uint8_t pending = 0;    // the way the value Recall missed is remembered in
    bool keep = false;      // that value repeated one seen before: keep its bytes
    uint8_t misses = 0;     // values in a row not among the ways
    uint16_t resting = 0;   // values still to come before the next lookup
    char bytes[kWays][kMaxWidth] = {};
  };
  std::vector<Entry> entries_;
};

}  // namespace pharmex::dbf
