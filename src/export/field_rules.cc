#include "export/field_rules.h"

#include "host/field_name_rule.h"
#include "pharmex/host.h"

namespace pharmex::exporting {

namespace {

std::string string_specification(int32_t size) {
  if (size <= 0) return {};
  if (size <= 254) return "C;" + std::to_string(size) + ";0";
  if (size == 255) return "C;254;0";
  return "M;0;0";
}

}  // namespace

std::string type_specification(uint8_t type, int32_t size) {
  switch (type & 0x7F) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftFixedWideChar:
      return string_specification(size);
    case ftSmallint:
    case ftWord:
      return "N;6;0";
    case ftInteger:
      return "N;11;0";
    case ftLargeint:
      return "N;20;0";
    case ftBoolean:
      return "L;0;0";
    case ftFloat:
    case ftCurrency:
      return "F;20;2";
    case ftBCD:
    case ftFMTBcd:
      return "N;20;2";
    case ftDate:
    case ftTime:
    case ftDateTime:
      return "D;0;0";
    case ftMemo:
    case ftWideMemo:
      return "M;0;0";
    case ftBytes:
    case ftVarBytes:
    case ftBlob:
    case ftGraphic:
    case ftFmtMemo:
    case ftTypedBinary:
      return "B;0;0";
    case ftDBaseOle:
      return "O;0;0";
    default:
      return {};
  }
}

std::string field_specification(const host::HostField& column) {
  uint8_t type = column.data_type();
  bool is_string =
      type == ftString || type == ftFixedChar || type == ftWideString || type == ftFixedWideChar;
  std::string spec = type_specification(type, is_string ? column.size() : 0);
  if (spec.empty()) return {};
  std::string name = host::field_name_for_column(column.name());
  if (name.empty()) return {};
  return name + ";" + spec;
}

}  // namespace pharmex::exporting
