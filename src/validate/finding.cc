#include "validate/finding.h"

namespace pharmex::validate {

void Findings::add(Finding::Place place, int64_t number, std::string field,
                   std::optional<uint64_t> offset, std::string problem, std::string expected) {
  findings_.push_back(
      {file_, place, number, std::move(field), offset, std::move(problem), std::move(expected)});
}

void Findings::add_note(Finding::Place place, int64_t number, std::optional<uint64_t> offset,
                        std::string problem, std::string expected) {
  findings_.push_back(
      {file_, place, number, "", offset, std::move(problem), std::move(expected), true});
}

}  // namespace pharmex::validate
