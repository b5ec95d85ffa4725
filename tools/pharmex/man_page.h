// The manual (tools/pharmex/manual.h) as a man page, pharmex(1), in the man
// macros of roff: the first line becomes the NAME section, headings .SH,
// terms .TP (in bold) with their descriptions, paragraphs .PP (and .IP
// inside a description), the lines shown as they are .nf blocks. Backslashes
// are escaped, lines that roff would read as requests are protected, and a
// "-" that starts an option is written as the minus sign roff keeps
// copyable.
#pragma once

#include <string>
#include <string_view>

namespace pharmex::cli {

// `date` as yyyy-mm-dd, `version` the tool's.
std::string man_page(std::string_view manual, std::string_view version, std::string_view date);

}  // namespace pharmex::cli
