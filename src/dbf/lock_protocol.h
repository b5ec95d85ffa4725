// Where the engine puts its byte-range locks. dBase-family programs announce a
// lock on a table, an append, a record or a memo by locking bytes far beyond
// any data, at offsets each family fixed for itself; a program sees another's
// locks only when both follow the same convention. `TLockProtocol` selects the
// convention; the offsets are data, so every family's numbers sit in one table.
//
// All offsets are 32-bit values used as the low part of a 64-bit offset (the
// high part is 0); record offsets wrap modulo 2^32 like the 32-bit arithmetic
// of the programs that share them.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace pharmex::dbf {

enum class TLockProtocol : int { Default = 0, DB4Lock = 1, ClipLock = 2, FoxLock = 3 };

struct TLockRange {
  uint64_t offset = 0;
  uint64_t length = 0;
  bool operator==(const TLockRange&) const = default;
};

// Lock-all: the whole file from offset 0.
inline constexpr TLockRange kLockAllRange{0, 0x7FFFFFFF};

struct TLockOffsets {
  TLockRange table;   // whole-table lock
  TLockRange append;  // held around every append
  TLockRange memo;    // on the memo file, held around every memo write
};

const TLockOffsets& LockOffsets(TLockProtocol protocol);

// How long the engine waits for a lock another program holds: a memo write
// for the memo lock, an append for the append lock. Each attempt that is
// refused is followed by a pause, up to `attempts` attempts in all.
struct TLockRetry {
  int attempts = 100;
  std::chrono::milliseconds pause{50};
  // Waits between two attempts; empty: the thread sleeps for `pause`.
  std::function<void(std::chrono::milliseconds)> sleep;
};

// The one-byte lock of record `record` (1-based) of a table with the given
// header and record lengths. `index_files_open` selects the offsets used when
// index files are open (the index layer is not part of this engine, so tables
// pass false).
TLockRange RecordLockRange(TLockProtocol protocol, int64_t record, uint32_t header_length,
                           uint32_t record_length, bool index_files_open);

}  // namespace pharmex::dbf
