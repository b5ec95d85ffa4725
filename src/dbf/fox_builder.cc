#include "dbf/fox_builder.h"

#include "dbf/fox_memo_file.h"

namespace pharmex::dbf {

std::string TFoxBuilder::InitialMemo(std::string_view) const {
  return TFoxMemoFile::InitialHeader();
}

}  // namespace pharmex::dbf
