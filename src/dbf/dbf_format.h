// The bytes of a dBase table file (see docs/table_format.md for a drawing).
//
//   offset 0              32-byte table header
//   offset 32             one 32-byte descriptor per field
//   offset 32 * n + 32    0x0D, end of the descriptors
//   header length         records of record length bytes, record 1 first
//   after the last record 0x1A, end of file
//
// Multi-byte integers are little-endian. These helpers are the only way the
// engine reads or writes them: no struct is ever laid over file bytes.
#pragma once

#include <cstdint>
#include <cstring>

namespace pharmex::dbf::format {

// Table header.
inline constexpr size_t kHeaderSize = 32;
inline constexpr size_t kVersionOffset = 0;
inline constexpr size_t kDateOffset = 1;  // year mod 100, month, day
inline constexpr size_t kRecordCountOffset = 4;
inline constexpr size_t kHeaderLengthOffset = 8;
inline constexpr size_t kRecordLengthOffset = 10;
inline constexpr size_t kEncryptedOffset = 15;
inline constexpr size_t kTimeStampOffset = 16;  // ((h * 64 + m) * 64 + s) * 1024 + ms
inline constexpr size_t kUserIdOffset = 20;
inline constexpr size_t kFlagsOffset = 28;  // bit 0 production index, bit 1 memo (0x30)
inline constexpr uint8_t kKeptFlags = 0x07;
inline constexpr uint8_t kFoxMemoFlag = 0x02;
// The language driver: the code page other programs mark their text with
// (0: no mark, which is what the engine writes).
inline constexpr size_t kLanguageDriverOffset = 29;

// Version bytes the reader accepts.
inline constexpr uint8_t kVersionPlain = 0x03;      // dBase III/IV, FoxPro without memo
inline constexpr uint8_t kVersionDb4Sql = 0x04;     // read as 0x03
inline constexpr uint8_t kVersionVisualFox = 0x30;  // binary B, G, I, M, T, Y fields
inline constexpr uint8_t kVersionDb3Memo = 0x83;    // dBase III / Clipper with memo
inline constexpr uint8_t kVersionDb4Memo = 0x8B;    // dBase IV with memo
inline constexpr uint8_t kVersionFoxMemo = 0xF5;    // FoxPro 2 with memo

// True for the version bytes above, the tables the reader opens.
inline bool AcceptedVersion(uint8_t version) {
  switch (version) {
    case kVersionPlain:
    case kVersionDb4Sql:
    case kVersionVisualFox:
    case kVersionDb3Memo:
    case kVersionDb4Memo:
    case kVersionFoxMemo:
      return true;
    default:
      return false;
  }
}

// Descriptors.
inline constexpr size_t kDescriptorSize = 32;
inline constexpr size_t kNameLength = 11;  // zero-padded, byte 10 always 0
inline constexpr size_t kTypeOffset = 11;
inline constexpr size_t kLengthOffset = 16;
inline constexpr size_t kDecimalsOffset = 17;  // high length byte of a C field
inline constexpr uint8_t kDescriptorEnd = 0x0D;
// Smallest header: the 32 bytes, no descriptor, the 0x0D.
inline constexpr uint32_t kMinHeaderLength = kHeaderSize + 1;
// A 0x30 table keeps 263 more bytes after the 0x0D (a backlink to its database).
inline constexpr uint32_t kVisualFoxTrailer = 263;

// Records.
inline constexpr char kLiveRecord = ' ';
inline constexpr char kDeletedRecord = '*';
inline constexpr char kEndOfFile = 0x1A;

// The code page a language driver names, or 0. Only the Cyrillic drivers are
// taken at their word: Russian programs often leave a Western mark (437,
// 1252) on text that is in fact 866, which the OEM rule reads right.
inline int LanguageDriverCodePage(uint8_t driver) {
  switch (driver) {
    case 0x26:
    case 0x65:
      return 866;
    case 0xC9:
      return 1251;
    default:
      return 0;
  }
}

inline uint16_t DecodeFixed16(const char* p) {
  auto b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

inline uint32_t DecodeFixed32(const char* p) {
  auto b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
         (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

inline uint64_t DecodeFixed64(const char* p) {
  return static_cast<uint64_t>(DecodeFixed32(p)) |
         (static_cast<uint64_t>(DecodeFixed32(p + 4)) << 32);
}

inline void EncodeFixed16(char* p, uint16_t value) {
  p[0] = static_cast<char>(value & 0xFF);
  p[1] = static_cast<char>(value >> 8);
}

inline void EncodeFixed32(char* p, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline void EncodeFixed64(char* p, uint64_t value) {
  EncodeFixed32(p, static_cast<uint32_t>(value));
  EncodeFixed32(p + 4, static_cast<uint32_t>(value >> 32));
}

inline double DecodeDouble(const char* p) {
  uint64_t bits = DecodeFixed64(p);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void EncodeDouble(char* p, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  EncodeFixed64(p, bits);
}

}  // namespace pharmex::dbf::format
