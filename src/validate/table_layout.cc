#include "validate/table_layout.h"

namespace pharmex::validate {

std::string describe(const FieldShape& shape) {
  const std::string type(1, shape.type);
  const std::string length = std::to_string(shape.length);
  switch (shape.type) {
    case 'D':
      return shape.length == 8 ? type : type + "(" + length + ")";
    case 'L':
      return shape.length == 1 ? type : type + "(" + length + ")";
    case 'M':
    case 'B':
    case 'G':
      return shape.length == 10 ? type : type + "(" + length + ")";
    case 'C':
      return type + "(" + length + ")";
    default:
      return type + "(" + length + "," + std::to_string(shape.decimals) + ")";
  }
}

}  // namespace pharmex::validate
