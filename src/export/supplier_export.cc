#include "export/supplier_export.h"

#include <array>
#include <string_view>

#include "export/generic_table_export.h"

namespace pharmex::exporting {

namespace {

constexpr std::array<std::string_view, 2> kSupplierColumns = {"id", "name"};

}  // namespace

void supplier_routine(host::TShellOpenSaveForm& form, const std::string& path) {
  run_table_routine(form, path, "supplier_export_path", [&form](TableRun& run) {
    host::HostDataSet suppliers(form.main_dataset());
    GenericTable table{ColumnList(kSupplierColumns)};
    table.describe(suppliers);
    table.write(run, suppliers, {});
  });
}

}  // namespace pharmex::exporting
