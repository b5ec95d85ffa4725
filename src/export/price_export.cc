#include "export/price_export.h"

#include <array>
#include <string_view>

#include "export/generic_table_export.h"

namespace pharmex::exporting {

namespace {

constexpr std::array<std::string_view, 17> kPriceColumns = {
    "suppliers_id", "art_id",     "art_name",      "maker",        "box",           "dateworkfirst",
    "dateworklast", "price",      "nds",           "groups1_name", "groups2_name",  "groups3_name",
    "groups4_name", "groups_new", "isadvertising", "remainder",    "remainder_wait"};

}  // namespace

std::span<const std::string_view> price_columns() {
  return kPriceColumns;
}

void generic_price_routine(host::RunContext& context, const std::string& path) {
  run_table_routine(context, path, "price_export_path", [&context](TableRun& run) {
    host::HostDataSet prices(context.main_dataset());
    GenericTable table{ColumnList(kPriceColumns)};
    table.describe(prices);
    table.write(run, prices, {});
  });
}

}  // namespace pharmex::exporting
