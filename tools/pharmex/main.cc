#include <iostream>
#include <string>
#include <vector>

#include "cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  pharmex::cli::Io io{std::cout, std::cerr};
  return pharmex::cli::run(args, io);
}
