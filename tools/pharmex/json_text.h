// Text as a JSON string: in double quotes, a quote and a backslash escaped,
// every control character below U+0020 as \u00XX; UTF-8 passes as it is.
#pragma once

#include <string>
#include <string_view>

namespace pharmex::cli {

std::string JsonString(std::string_view utf8);

}  // namespace pharmex::cli
