#include "dbf/dbf4_builder.h"

#include "dbf/memo4_file.h"

namespace pharmex::dbf {

std::string TDbf4Builder::InitialMemo(std::string_view base_name) const {
  return TMemo4File::InitialHeader(base_name);
}

}  // namespace pharmex::dbf
