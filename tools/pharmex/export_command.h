// pharmex export KIND ...: runs one of the library's exports on host data
// loaded from CSV files.
#pragma once

#include <string>
#include <vector>

#include "cli.h"

namespace pharmex::cli {

int run_export(const std::vector<std::string>& args, Io& io);
const Command& export_command();

}  // namespace pharmex::cli
