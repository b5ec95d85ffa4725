// Code pages on Windows that the library has no table for: the table comes
// from the system's conversion (MultiByteToWideChar) and its upper-casing
// (LCMapStringEx in the user's locale), byte by byte. Only single-byte pages
// can be tables; a byte the page leaves undefined maps to the C1 control of
// its number, as in the library's own tables, so every byte round-trips.
#include <windows.h>

#include "platform/system_code_page.h"

namespace pharmex::platform {

namespace {

char16_t character(UINT page, unsigned char byte) {
  char in = static_cast<char>(byte);
  wchar_t out = 0;
  if (::MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, &in, 1, &out, 1) != 1) return byte;
  return static_cast<char16_t>(out);
}

// The byte of a character's upper-case letter in the page; the byte itself
// when there is no such letter or the page cannot hold it.
unsigned char upper_byte(UINT page, unsigned char byte, char16_t unit) {
  wchar_t in = static_cast<wchar_t>(unit);
  wchar_t upper = 0;
  if (::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, &in, 1, &upper, 1, nullptr,
                      nullptr, 0) != 1) {
    return byte;
  }
  char out = 0;
  BOOL lossy = FALSE;
  if (::WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, &upper, 1, &out, 1, nullptr, &lossy) != 1 ||
      lossy) {
    return byte;
  }
  return static_cast<unsigned char>(out);
}

}  // namespace

std::optional<SystemCodePageTable> system_code_page_table(int number) {
  CPINFOEXW info;
  if (number <= 0 || !::GetCPInfoExW(static_cast<UINT>(number), 0, &info) ||
      info.MaxCharSize != 1) {
    return std::nullopt;
  }
  auto page = static_cast<UINT>(number);
  SystemCodePageTable table{};
  for (int byte = 0; byte < 256; ++byte) {
    auto b = static_cast<unsigned char>(byte);
    char16_t unit = byte < 0x80 ? static_cast<char16_t>(byte) : character(page, b);
    if (byte >= 0x80) table.upper_half[static_cast<size_t>(byte - 0x80)] = unit;
    table.to_upper[static_cast<size_t>(byte)] = upper_byte(page, b, unit);
  }
  return table;
}

}  // namespace pharmex::platform
