// The bytes of the three memo-file flavours (see docs/memo_format.md).
//
// A memo file is a sequence of fixed-size blocks, block 0 being the header; a
// table's memo field stores the number of the first block of its text.
//
//   dBase III / Clipper (.dbt)  512-byte blocks; header: next free block (LE)
//                               at 0; text written as is and ended by
//                               0x1A 0x1A.
//   dBase IV (.dbt)             block size in the header (LE at 20); every
//                               memo starts with an 8-byte block header
//                               FF FF 08 00 + total length (LE, text + 8);
//                               freed blocks form a chain of runs.
//   FoxPro (.fpt)               block size in the header (BE at 6); every
//                               memo starts with type (BE, 1 = text) and text
//                               length (BE).
#pragma once

#include <cstddef>
#include <cstdint>

namespace pharmex::dbf::memo_format {

// Header block, common to the flavours.
inline constexpr size_t kNextFreeOffset = 0;  // LE (dBase), BE (FoxPro)
inline constexpr size_t kNameOffset = 8;      // dBase: table base name
inline constexpr size_t kNameLength = 8;

// dBase III / Clipper.
inline constexpr uint32_t kDb3BlockSize = 512;
inline constexpr char kDb3TextEnd = 0x1A;  // written twice after the text
// Longest text the reader scans for its end mark.
inline constexpr size_t kDb3MaxScan = 65520;

// dBase IV.
inline constexpr size_t kDb4HeaderSize = 24;    // as created; the rest of block 0 is zero
inline constexpr size_t kDb4MarkerOffset = 16;  // 00 00 02 01
inline constexpr size_t kDb4BlockSizeOffset = 20;
inline constexpr uint32_t kDb4BlockSize = 512;
inline constexpr size_t kDb4MemoHeaderSize = 8;  // FF FF, 8 (u16), total length (u32)
inline constexpr size_t kDb4TotalLengthOffset = 4;
// A free run's first block: next run (u32), blocks in the run (u32).
inline constexpr size_t kRunCountOffset = 4;
// Largest block size the engine works with; a header claiming more is damaged.
inline constexpr uint32_t kMaxBlockSize = 65536;

// FoxPro.
inline constexpr size_t kFoxBlockSizeOffset = 6;  // BE u16
inline constexpr uint32_t kFoxBlockSize = 64;
inline constexpr uint32_t kFoxHeaderSize = 512;
inline constexpr uint32_t kFoxFirstFree = kFoxHeaderSize / kFoxBlockSize;
inline constexpr size_t kFoxMemoHeaderSize = 8;  // type (BE u32), length (BE u32)
inline constexpr uint32_t kFoxTypePicture = 0;
inline constexpr uint32_t kFoxTypeText = 1;

inline uint32_t DecodeBig32(const char* p) {
  auto b = reinterpret_cast<const unsigned char*>(p);
  return (static_cast<uint32_t>(b[0]) << 24) | (static_cast<uint32_t>(b[1]) << 16) |
         (static_cast<uint32_t>(b[2]) << 8) | static_cast<uint32_t>(b[3]);
}

inline uint16_t DecodeBig16(const char* p) {
  auto b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<uint16_t>((b[0] << 8) | b[1]);
}

inline void EncodeBig32(char* p, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<char>((value >> (24 - 8 * i)) & 0xFF);
}

inline void EncodeBig16(char* p, uint16_t value) {
  p[0] = static_cast<char>(value >> 8);
  p[1] = static_cast<char>(value & 0xFF);
}

}  // namespace pharmex::dbf::memo_format
