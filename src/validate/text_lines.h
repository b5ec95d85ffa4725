// The lines of a partner text file as the partner reads them: Windows-1251
// text without a byte-order mark, every line (the last one too) ended by CR
// LF, no empty lines. Splitting reports what breaks that: a byte-order mark,
// a file that is UTF-8 rather than 1251, a line ended by LF or CR alone, an
// empty line, a last line without its CR LF, and a byte that is no text of
// the page (validate/text_page.h).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "validate/finding.h"
#include "validate/text_page.h"

namespace pharmex::validate {

struct TextLine {
  int64_t number = 0;     // from 1
  uint64_t at = 0;        // offset of its first byte in the file
  std::string_view text;  // without the line end
};

// The non-empty lines of `bytes`, in order.
std::vector<TextLine> split_text_lines(std::string_view bytes, const TextPage& page,
                                       Findings& findings);

// The fields of a record: the text before each ";", and what follows the
// last one when the record does not end with it. Views into `record`.
std::vector<std::string_view> split_fields(std::string_view record);

}  // namespace pharmex::validate
