#include "validate/shown_bytes.h"

#include "platform/text_codec.h"

namespace pharmex::validate {

namespace {

void append_utf8(std::string& out, char16_t unit) {
  out += platform::utf16_to_utf8(std::u16string_view(&unit, 1));
}

}  // namespace

bool is_control_or_undefined(unsigned char byte, const platform::CodePage& page) {
  const char16_t unit = page.to_unicode(byte);
  return unit < 0x20 || unit == 0x7F || (unit >= 0x80 && unit <= 0x9F);
}

std::string hex_byte(unsigned char byte) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return std::string("0x") + kDigits[byte >> 4] + kDigits[byte & 0x0F];
}

std::string shown(std::string_view bytes, const platform::CodePage& page) {
  std::string out = "\"";
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (is_control_or_undefined(byte, page)) {
      out += "\\x" + hex_byte(byte).substr(2);
    } else if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else {
      append_utf8(out, page.to_unicode(byte));
    }
  }
  out.push_back('"');
  return out;
}

std::string shown_byte(unsigned char byte, const platform::CodePage& page) {
  if (is_control_or_undefined(byte, page)) return hex_byte(byte);
  std::string out = "'";
  append_utf8(out, page.to_unicode(byte));
  return out + "' (" + hex_byte(byte) + ")";
}

}  // namespace pharmex::validate
