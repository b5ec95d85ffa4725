// pharmex validate FILE [--layout NAME] [--price P.csv] [--json]: checks a
// table or waybill text file against a layout of the library (recognised
// when --layout does not name one) and prints every finding, one line each
// (file, record or line, field, byte offset, what is wrong, what was
// expected), or one JSON object. Exit code 0 when the file meets the layout,
// 1 with findings or when the file cannot be read, 2 for usage. Nothing is
// written.
#pragma once

#include <string>
#include <vector>

#include "cli.h"

namespace pharmex::cli {

int run_validate(const std::vector<std::string>& args, Io& io);
const Command& validate_command();

}  // namespace pharmex::cli
