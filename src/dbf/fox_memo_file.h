// TFoxMemoFile: the FoxPro memo file (.fpt) of tables 0xF5 and 0x30
// (docs/memo_format.md).
//
// Numbers are big-endian. The header keeps the next free block at 0 and the
// block size (a 16-bit word) at 6; as created it is 512 bytes with blocks of
// 64, so the first memo goes to block 8. Every memo starts with an 8-byte
// block header: its type (1 for text, 0 for a picture) and its length.
// Allocation is that of dBase III: a memo whose old blocks suffice is
// rewritten in place, otherwise it goes to the next free block, which then
// moves behind it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dbf/memo_file.h"

namespace pharmex::dbf {

class TFoxMemoFile : public TMemoFile {
 public:
  using TMemoFile::TMemoFile;

  // 512 zero bytes but for the next free block 8 at 0 and the block size 64
  // at 6, both big-endian.
  static std::string InitialHeader();

 protected:
  void ReadMemoHeader() override;
  Extent Locate(int64_t block) override;
  int64_t Store(int64_t old_block, std::span<const char> text) override;
};

}  // namespace pharmex::dbf
