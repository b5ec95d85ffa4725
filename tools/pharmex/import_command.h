// pharmex import: merges a partner's order file into order lines loaded from
// CSV, through the library's import, and writes the merged lines as CSV.
#pragma once

#include <string>
#include <vector>

#include "cli.h"

namespace pharmex::cli {

int run_import(const std::vector<std::string>& args, Io& io);
const Command& import_command();

}  // namespace pharmex::cli
