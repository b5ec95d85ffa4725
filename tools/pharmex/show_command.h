// pharmex show FILE.dbf [--csv | --json] [--deleted]: prints a table's header
// (version, last update, record count, header and record length), its fields
// and its records, as aligned text, CSV or JSON. Deleted records are left out
// unless --deleted asks for them (then marked). A table that cannot be opened
// or read prints the engine's message on stderr and exits with 1.
#pragma once

#include <string>
#include <vector>

#include "cli.h"

namespace pharmex::cli {

int run_show(const std::vector<std::string>& args, Io& io);
const Command& show_command();

}  // namespace pharmex::cli
