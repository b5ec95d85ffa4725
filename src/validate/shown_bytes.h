// File bytes as a finding quotes them: decoded by the file's code page into
// UTF-8, in double quotes, with every control character (and a byte the page
// does not define) written as \xNN and a quote or backslash escaped, so that
// a finding stays one printable line whatever the file holds.
#pragma once

#include <string>
#include <string_view>

#include "platform/code_page.h"

namespace pharmex::validate {

// "text", decoded and escaped.
std::string shown(std::string_view bytes, const platform::CodePage& page);

// A byte as "0x1A".
std::string hex_byte(unsigned char byte);

// One byte as the character it is in `page` and its value: 'А' (0xC0), or
// just 0x09 for a control character.
std::string shown_byte(unsigned char byte, const platform::CodePage& page);

// True when the page leaves the byte undefined (the library's tables map such
// a byte to the C1 control of the same number) or it is a control character.
bool is_control_or_undefined(unsigned char byte, const platform::CodePage& page);

}  // namespace pharmex::validate
