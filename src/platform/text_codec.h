// The library's text conversions. Internally text is 8-bit ANSI (the Windows
// "system" code page, 1251 by default); text inside tables and memo files is
// OEM (866 by default); the host speaks UTF-16 and Linux file names and the
// terminal UTF-8. A TextCodec is one ANSI/OEM pair with every conversion
// between these forms.
//
// A character that the target code page lacks becomes a substitute: quotation
// marks become '"' or '\'', dashes '-', and everything else '?'. Invalid UTF-8
// reads as U+FFFD (and so as '?' in a code page).
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "core/service.h"
#include "platform/code_page.h"

namespace pharmex::platform {

class TextCodec {
 public:
  static constexpr char kSubstitute = '?';

  // Throws Error("Unknown code page %d") for a page the library has no table for.
  explicit TextCodec(int ansi = 1251, int oem = 866);

  const CodePage& ansi() const { return *ansi_; }
  const CodePage& oem() const { return *oem_; }

  char ansi_to_oem(char c) const {
    return static_cast<char>(ansi_to_oem_[static_cast<unsigned char>(c)]);
  }
  char oem_to_ansi(char c) const {
    return static_cast<char>(oem_to_ansi_[static_cast<unsigned char>(c)]);
  }
  // The character an OEM byte becomes once translated to ANSI, in one step
  // (table readers turn OEM text into host strings with it).
  char16_t oem_to_ansi_unicode(char c) const {
    return oem_to_ansi_unicode_[static_cast<unsigned char>(c)];
  }

  // Byte-for-byte translation of a whole text, in place.
  void ansi_to_oem_inplace(std::string& text) const;
  void oem_to_ansi_inplace(std::string& text) const;
  std::string ansi_to_oem(std::string_view text) const;
  std::string oem_to_ansi(std::string_view text) const;

  std::u16string ansi_to_utf16(std::string_view text) const;
  std::string utf16_to_ansi(std::u16string_view text) const;
  // Appends the ANSI form of a UTF-16 text, for building output without copies.
  void append_utf16_as_ansi(std::string& out, std::u16string_view text) const;
  // The first bytes of that form, as many as `out` holds (a table field's
  // text, cut to its width); returns how many were written.
  size_t encode_utf16_as_ansi(std::span<char> out, std::u16string_view text) const;
  // The same bytes translated to OEM up to the first zero byte (after it
  // they stay ANSI), as a character field stores a translated text.
  size_t encode_utf16_as_oem(std::span<char> out, std::u16string_view text) const;

  std::string ansi_to_utf8(std::string_view text) const;
  std::string utf8_to_ansi(std::string_view text) const;

  std::string upper_ansi(std::string_view text) const;
  // The same in place.
  void upper_ansi_inplace(std::span<char> text) const;

  // The byte for one UTF-16 code unit in a code page, substituted when missing.
  static unsigned char encode_unit(const CodePage& page, char16_t unit);

 private:
  // A table of what each of the 65 536 UTF-16 code units becomes (128 KiB),
  // made at its first use by whichever thread comes first and kept for the
  // codec's life; a copy of the codec makes its own when it needs one.
  class UnitTable {
   public:
    UnitTable() = default;
    UnitTable(const UnitTable&) {}
    UnitTable& operator=(const UnitTable& other);
    ~UnitTable();

    // The table, made by `fill(units)` when there is none yet.
    template <class Fill>
    const uint16_t* get(Fill fill) const;

   private:
    mutable std::atomic<uint16_t*> units_{nullptr};
  };

  // Each unit's ANSI byte, and that byte translated to OEM.
  const uint16_t* ansi_units() const;
  const uint16_t* oem_units() const;

  const CodePage* ansi_;
  const CodePage* oem_;
  unsigned char ansi_to_oem_[256];
  unsigned char oem_to_ansi_[256];
  char16_t oem_to_ansi_unicode_[256];
  UnitTable ansi_units_;
  UnitTable oem_units_;
};

// UTF-8 <-> UTF-16, independent of any code page.
std::u16string utf8_to_utf16(std::string_view text);
std::string utf16_to_utf8(std::u16string_view text);

// The process-wide pair: Service<const TextCodec>'s current one (the
// platform's pair unless the host or a test replaced it). The reference is
// good while the pair stays in place.
const TextCodec& text_codec();

}  // namespace pharmex::platform

namespace pharmex {

// The platform's pair: 1251 and 866 on POSIX systems, the system's ANSI and
// OEM code pages on Windows.
template <>
std::shared_ptr<const platform::TextCodec> Service<const platform::TextCodec>::make_default();

}  // namespace pharmex
