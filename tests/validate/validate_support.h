// Running the validator in-process and reading its report in tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "validate/validator.h"

namespace pharmex::validate::testing {

// Validates the file at `path` (UTF-8) against `layout` ("": recognised),
// with the process's files and the default regional settings (those the
// tests' runs write with); `prices` for an order file's import.
ValidationReport validate(const std::string& path, const std::string& layout = "",
                          host::HostRef<IDataSet> prices = nullptr);

// The findings (notes too) one per line, for failure messages.
std::string listed(const ValidationReport& report);

// The findings that break the layout, notes left out.
size_t defects(const ValidationReport& report);

// The first finding (not a note) at `offset` (any offset when nothing) whose
// problem contains `problem`; null when there is none.
const Finding* finding_at(const ValidationReport& report, std::optional<uint64_t> offset,
                          const std::string& problem);

}  // namespace pharmex::validate::testing
