// Unicode tables of the single-byte code pages (generated data).
#pragma once

#include <cstddef>

namespace pharmex::platform {

struct CodePageTable {
  int number;
  const char16_t* upper_half;     // 128 entries: bytes 0x80..0xFF
  const unsigned char* to_upper;  // 256 entries: byte of the upper-case letter
};

extern const CodePageTable kCodePageTables[];
extern const size_t kCodePageTableCount;

}  // namespace pharmex::platform
