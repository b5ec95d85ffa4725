#include "export/order_export.h"

#include <array>
#include <string_view>

#include "export/generic_table_export.h"

namespace pharmex::exporting {

namespace {

constexpr std::array<std::string_view, 13> kOrderColumns = {
    "id",  "native_id",     "date",         "suppliers_id", "art_id", "art_name", "maker",
    "box", "dateworkfirst", "dateworklast", "qty",          "price",  "nds"};

}  // namespace

std::span<const std::string_view> order_columns() {
  return kOrderColumns;
}

void order_routine(host::RunContext& context, const std::string& path) {
  run_table_routine(context, path, "order_export_path", [&context](TableRun& run) {
    host::HostDataSet headers(context.main_dataset());
    host::HostDataSet lines(context.lines_dataset());
    GenericTable table{ColumnList(kOrderColumns)};
    table.describe(headers);
    table.describe(lines);
    host::HostField order_id = lines.field_by_name(std::string_view("orderheads_id"));
    table.write(run, lines, [&headers, &order_id] {
      return headers.locate(std::string_view("id"), order_id.value());
    });
  });
}

}  // namespace pharmex::exporting
