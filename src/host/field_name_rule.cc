#include "host/field_name_rule.h"

#include <array>
#include <utility>

#include "platform/text_codec.h"

namespace pharmex::host {

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

}  // namespace pharmex::host
