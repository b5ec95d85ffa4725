// Runs the command-line tool in-process and captures what it prints.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli.h"

namespace pharmex::testing {

struct CliResult {
  int code;
  std::string out;
  std::string err;
};

inline CliResult run_cli(const std::vector<std::string>& args) {
  std::ostringstream out;
  std::ostringstream err;
  cli::Io io{out, err};
  int code = cli::run(args, io);
  return {code, out.str(), err.str()};
}

}  // namespace pharmex::testing
