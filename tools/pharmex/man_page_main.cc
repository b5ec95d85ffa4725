// Writes the man page pharmex(1) from the tool's manual, at build time:
//   pharmex_man_page OUTPUT DATE
#include <fstream>
#include <iostream>

#include "man_page.h"
#include "manual.h"
#include "pharmex/version.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: pharmex_man_page OUTPUT yyyy-mm-dd\n";
    return 2;
  }
  std::ofstream out(argv[1], std::ios::binary);
  out << pharmex::cli::man_page(pharmex::cli::manual_text(), PHARMEX_VERSION, argv[2]);
  return out.good() ? 0 : 1;
}
