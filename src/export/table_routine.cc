#include "export/table_routine.h"

#include "core/cleanup.h"
#include "dbf/create_dbf_dataset.h"

namespace pharmex::exporting {

void TableRun::create(std::vector<std::string> field_specifications) {
  dbf::TCreateDbfDataSet creator(table_.Options());
  creator.SetAutoOverwrite(true);
  creator.SetWriteAside(true);
  creator.SetDBFTable(&table_);
  creator.SetDBFType(dbf::TDbfTypes::DBaseIV);
  creator.SetCreateFields(std::move(field_specifications));
  creator.CreateTable();
}

void run_table_routine(host::RunContext& context, const std::string& path,
                       std::string_view folder_value,
                       const std::function<void(TableRun& run)>& body) {
  context.notify_start();
  dbf::TDbfDataSet table(
      dbf::EngineOptions{context.settings(), context.file_system(), context.clock()});
  run_then_clean_up(
      [&] {
        table.SetTableName(path);
        table.SetLargeIntegerAs(dbf::TIntFields::asLargeInt);
        TableRun run(context, table);
        body(run);
        table.Commit();
      },
      [&] { table.Close(); },
      [&] {
        if (!folder_value.empty()) context.folders().remember_folder_of(folder_value, path);
      },
      [&] { context.notify_finish(); });
}

}  // namespace pharmex::exporting
