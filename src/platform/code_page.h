// A single-byte code page of the Windows family (1251, 866, 1252, ...): its
// 256 characters as UTF-16, the reverse mapping and its upper-casing.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

namespace pharmex::platform {

class CodePage {
 public:
  // The code page with this number, or null when neither the library nor the
  // system (system_code_page.h) has a table for it. The library's own: 437,
  // 850, 852, 866, 1250, 1251, 1252. Pages live for the process.
  static const CodePage* find(int number);

  int number() const { return number_; }

  char16_t to_unicode(unsigned char byte) const { return to_unicode_[byte]; }

  // The byte of a UTF-16 code unit, or nothing when the page lacks it.
  std::optional<unsigned char> from_unicode(char16_t unit) const {
    int16_t byte = (*from_unicode_)[unit];
    if (byte < 0) return std::nullopt;
    return static_cast<unsigned char>(byte);
  }

  // The byte of the character's upper-case letter, by this page's rules
  // (Cyrillic and accented Latin letters included); other bytes unchanged.
  unsigned char to_upper(unsigned char byte) const { return to_upper_[byte]; }

 private:
  CodePage(int number, const char16_t* upper_half, const unsigned char* to_upper);

  int number_;
  std::array<char16_t, 256> to_unicode_;
  std::unique_ptr<std::array<int16_t, 65536>> from_unicode_;  // -1: not in the page
  const unsigned char* to_upper_;
};

}  // namespace pharmex::platform
