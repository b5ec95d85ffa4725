#include "export/generic_waybill_table.h"

#include <array>
#include <string_view>

#include "export/generic_table_export.h"
#include "export/waybill_lines.h"

namespace pharmex::exporting {

namespace {

// "waybillheads_id" is not listed: the join key never becomes a field.
constexpr std::array<std::string_view, 27> kWaybillColumns = {
    "id",
    "orderheads_id",
    "suppliers_id",
    "native_id",
    "date",
    "num_id",
    "art_id",
    "art_name",
    "maker",
    "box",
    "dateworkfirst",
    "dateworklast",
    "price",
    "nds",
    "serial",
    "qty",
    "orderdescr",
    "Price_WithOut_Nds",
    "gtd",
    "country",
    "datesertfirst",
    "datesertlast",
    "sertname",
    "ean13",
    "MakerPrice",
    "MakerPrice_without_nds",
    "Round_MakerPrice_without_nds",
};

}  // namespace

std::span<const std::string_view> waybill_columns() {
  return kWaybillColumns;
}

void generic_waybill_routine(host::RunContext& context, const std::string& path) {
  run_table_routine(context, path, "waybill_export_path", [&context](TableRun& run) {
    WaybillLines waybill(host::HostDataSet(context.main_dataset()),
                         host::HostDataSet(context.lines_dataset()));
    GenericTable table{ColumnList(kWaybillColumns)};
    table.describe(waybill.headers(), &waybill.header_moves());
    table.describe(waybill.lines());
    table.write(run, waybill.lines(),
                [&waybill, &run] { return waybill.current_line_passes(run.settings()); });
  });
}

}  // namespace pharmex::exporting
