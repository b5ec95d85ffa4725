// The tool's manual: one text, tools/pharmex/manual.txt, compiled into the
// tool. `pharmex --help` prints it as it is, the usage errors quote its
// synopsis, and the man page pharmex(1) is generated from it at build time
// (tools/pharmex/man_page.h), so the three cannot tell different stories.
//
// The text is plain, and its layout is its markup:
//   - the first line is "pharmex - what it is";
//   - a line starting in the first column is a section heading;
//   - lines indented by 2 are paragraphs (a blank line between two), except
//     that a line indented by 2 and followed at once by lines indented by 6
//     is a term (a command, an option, an exit code) and those lines are its
//     description, whose paragraphs are again separated by blank lines;
//   - lines indented by 4 are shown as they are (commands, examples, tables).
// It is ASCII.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pharmex::cli {

std::string_view manual_text();

// The synopsis lines of a command ("pharmex show FILE.dbf [--csv | --json]
// [--deleted]"), in the order the manual has them.
std::vector<std::string> synopsis_of(std::string_view command);

}  // namespace pharmex::cli
