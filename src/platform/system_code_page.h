// Code pages the system knows and the library has no table for. On Windows a
// host may run with any single-byte ANSI/OEM pair (1253/737 on a Greek
// system); the library then builds the page's table from the system's own
// conversion and upper-casing. Linux offers none (posix_code_pages.cc);
// win32_code_pages.cc asks Windows.
#pragma once

#include <array>
#include <optional>

namespace pharmex::platform {

struct SystemCodePageTable {
  std::array<char16_t, 128> upper_half;     // characters of the bytes 0x80..0xFF
  std::array<unsigned char, 256> to_upper;  // the byte of each byte's upper-case letter
};

// The table of a single-byte code page of the system; nothing when the
// system has no such page, or it is not single-byte.
std::optional<SystemCodePageTable> system_code_page_table(int number);

}  // namespace pharmex::platform
