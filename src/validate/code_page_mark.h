// Byte 29 of a table header, the language driver: the code page other
// programs mark their text with. The library writes 0 (no mark) and keeps
// table text in the OEM code page (866); it reads a table marked 1251 (0xC9)
// in 1251 and takes every other mark for OEM text, as Russian programs often
// leave a Western mark on text that is in fact 866. A partner's reader may
// believe the mark, so a mark that names another page than the one the text
// is read in is a finding.
#pragma once

#include <cstdint>

#include "validate/finding.h"
#include "validate/table_layout.h"

namespace pharmex::validate {

// The code page the table's text is read in (the marked 1251, or the
// process's OEM page), after reporting a mark that disagrees with it, or a
// 1251 mark on a layout the library writes.
int check_code_page_mark(uint8_t mark, const TableLayout& layout, Findings& findings);

}  // namespace pharmex::validate
