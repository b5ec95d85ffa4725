#include "dbf/lock_protocol.h"

namespace pharmex::dbf {

namespace {

// Indexed by the protocol's value.
constexpr TLockOffsets kOffsets[] = {
    // Default
    {{0x40000000, 0x3FFFFFFF}, {0x7FFFFFFE, 1}, {0x7FFFFFFD, 1}},
    // DB4Lock
    {{0x40000000, 0xB0000000}, {0xEFFFFFFF, 1}, {0xEFFFFFFE, 2}},
    // ClipLock
    {{1000000000, 1000000000}, {1000000000, 1}, {1000000000, 1}},
    // FoxLock
    {{0x40000000, 0x3FFFFFFF}, {0x7FFFFFFE, 1}, {0x7FFFFFFD, 1}},
};

uint64_t low_part(uint32_t value) {
  return value;
}

}  // namespace

const TLockOffsets& LockOffsets(TLockProtocol protocol) {
  int index = static_cast<int>(protocol);
  return kOffsets[index >= 0 && index < 4 ? index : 0];
}

TLockRange RecordLockRange(TLockProtocol protocol, int64_t record, uint32_t header_length,
                           uint32_t record_length, bool index_files_open) {
  const auto r = static_cast<uint32_t>(record);
  switch (protocol) {
    case TLockProtocol::DB4Lock:
      return {low_part(0xEFFFFFFEu - r), 1};
    case TLockProtocol::ClipLock:
      return {low_part(1000000000u + r), 1};
    case TLockProtocol::Default:
    case TLockProtocol::FoxLock:
      break;
  }
  if (index_files_open) return {low_part(0x7FFFFFFEu - r), 1};
  return {low_part(header_length + (r - 1) * record_length + 0x40000000u), 1};
}

}  // namespace pharmex::dbf
