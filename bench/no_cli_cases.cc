// Without the command-line tool (PHARMEX_BUILD_TOOLS off) there are no cases
// of its host.
#include "bench_case.h"

namespace pharmex::bench {

std::vector<BenchCase> cli_cases() {
  return {};
}

}  // namespace pharmex::bench
