// TDbf4Builder: the dBase IV flavour of TDbfBuilder, the one this system
// writes: version byte 0x8B with memo fields, and a 24-byte TMemo4File
// header in the new ".dbt" file.
#pragma once

#include "dbf/dbf_builder.h"

namespace pharmex::dbf {

class TDbf4Builder : public TDbfBuilder {
 public:
  using TDbfBuilder::TDbfBuilder;

 protected:
  uint8_t MemoVersion() const override { return format::kVersionDb4Memo; }
  std::string InitialMemo(std::string_view base_name) const override;
};

}  // namespace pharmex::dbf
