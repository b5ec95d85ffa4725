#include "export/supplier_export.h"

#include <array>
#include <string_view>

#include "export/generic_table_export.h"

namespace pharmex::exporting {

namespace {

constexpr std::array<std::string_view, 2> kSupplierColumns = {"id", "name"};

}  // namespace

std::span<const std::string_view> supplier_columns() {
  return kSupplierColumns;
}

void supplier_routine(host::RunContext& context, const std::string& path) {
  run_table_routine(context, path, "supplier_export_path", [&context](TableRun& run) {
    host::HostDataSet suppliers(context.main_dataset());
    GenericTable table{ColumnList(kSupplierColumns)};
    table.describe(suppliers);
    table.write(run, suppliers, {});
  });
}

}  // namespace pharmex::exporting
