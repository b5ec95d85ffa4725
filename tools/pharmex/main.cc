#include <iostream>
#include <string>
#include <vector>

#include "cli.h"
#include "pharmex/pharmex.h"

int main(int argc, char** argv) {
  // The tool reads every failure from pharmex_last_error() and says it.
  pharmex_set_failure_mode(PX_FAILURE_RECORD);
  std::vector<std::string> args(argv + 1, argv + argc);
  pharmex::cli::Io io{std::cout, std::cerr};
  return pharmex::cli::run(args, io);
}
