// TFoxBuilder: the FoxPro 2 flavour of TDbfBuilder: version byte 0xF5 with
// memo fields, and a 512-byte TFoxMemoFile header in the new ".fpt" file.
#pragma once

#include "dbf/dbf_builder.h"

namespace pharmex::dbf {

class TFoxBuilder : public TDbfBuilder {
 public:
  using TDbfBuilder::TDbfBuilder;

 protected:
  uint8_t MemoVersion() const override { return format::kVersionFoxMemo; }
  std::string_view MemoExtension() const override { return ".fpt"; }
  std::string InitialMemo(std::string_view base_name) const override;
};

}  // namespace pharmex::dbf
