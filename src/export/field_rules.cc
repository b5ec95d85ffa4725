#include "export/field_rules.h"

#include <array>
#include <utility>

#include "pharmex/host.h"
#include "platform/text_codec.h"

namespace pharmex::exporting {

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 20> kShortNames = {{
    {"orderheads_id", "order_h_id"},
    {"suppliers_id", "suppl_id"},
    {"dateworkfirst", "dt_w_first"},
    {"dateworklast", "dt_w_last"},
    {"groups1_name", "grp1_name"},
    {"groups2_name", "grp2_name"},
    {"groups3_name", "grp3_name"},
    {"groups4_name", "grp4_name"},
    {"groups_new", "grp_new"},
    {"isadvertising", "is_advert"},
    {"remainder", "remndr"},
    {"remainder_wait", "remndr_wt"},
    {"datesertfirst", "dt_s_first"},
    {"datesertlast", "dt_s_last"},
    {"sertname", "sert_name"},
    {"orderdescr", "descr"},
    {"MakerPrice", "MkPrice"},
    {"MakerPrice_without_nds", "MkPrOutNds"},
    {"Round_MakerPrice_without_nds", "RndMkPrOutNds"},
    {"Price_WithOut_Nds", "PrWOutNds"},
}};

std::string string_specification(int32_t size) {
  if (size <= 0) return {};
  if (size <= 254) return "C;" + std::to_string(size) + ";0";
  if (size == 255) return "C;254;0";
  return "M;0;0";
}

}  // namespace

std::optional<std::string_view> shortened_field_name(std::string_view column_name) {
  const platform::TextCodec& codec = platform::text_codec();
  std::string upper = codec.upper_ansi(column_name);
  for (const auto& [column, field] : kShortNames) {
    if (codec.upper_ansi(column) == upper) return field;
  }
  return std::nullopt;
}

std::string field_name_for_column(std::string_view column_name) {
  return std::string(shortened_field_name(column_name).value_or(column_name));
}

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
  std::string name = field_name_for_column(column.name());
  if (name.empty()) return {};
  return name + ";" + spec;
}

}  // namespace pharmex::exporting
