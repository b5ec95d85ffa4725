// The bytes of one field of a record against what its descriptor declares,
// as the library writes and reads them:
//
//   N, F  a number right-justified in the field, "." before exactly the
//         field's decimals (none when it has none), "-" before a negative
//         one; blanks read as 0, and the library never writes them
//   D     yyyymmdd of a calendar date, or eight blanks for no date
//   L     T or F (also t, f, Y, y, N, n, J, j, ? or a blank, which readers
//         take for true or false)
//   C     text of the table's code page (validate/text_page.h)
//
// M, B and G fields hold block numbers (validate/memo_check.h); other types
// are not judged.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "validate/table_structure.h"
#include "validate/text_page.h"

namespace pharmex::validate {

struct CellProblem {
  size_t index = 0;  // of the byte in the field where it shows
  std::string problem;
  std::string expected;
};

// `library_layout`: a table the library writes, whose numbers are never blank
// and whose missing dates are blanks, never "00000000".
std::optional<CellProblem> check_cell(const Descriptor& field, std::string_view cell,
                                      const TextPage& text, bool library_layout);

// The field's bytes as the library writes the number `value`: fixed-point
// with the field's decimals, right-justified.
std::string number_as_written(const Descriptor& field, double value);

}  // namespace pharmex::validate
