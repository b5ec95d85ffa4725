// pharmex show FILE.dbf [--csv | --json] [--deleted]: prints a table's header
// (version, last update, record count, header and record length, memo file),
// its fields and its records, as aligned text, CSV or JSON. Memo fields show
// their texts. Deleted records are left out unless --deleted asks for them
// (then marked). A table that cannot be opened or read, or whose memo file is
// missing or damaged, prints the engine's message on stderr and exits with 1;
// a single memo that cannot be read is marked "<bad memo>" (null in JSON) and
// the rest of the table is still shown.
#pragma once

#include <string>
#include <vector>

#include "cli.h"

namespace pharmex::cli {

int run_show(const std::vector<std::string>& args, Io& io);
const Command& show_command();

}  // namespace pharmex::cli
