#include "export/table_routine.h"

#include <exception>

#include "dbf/create_dbf_dataset.h"

namespace pharmex::exporting {

void TableRun::create(std::vector<std::string> field_specifications) {
  dbf::TCreateDbfDataSet creator;
  creator.SetAutoOverwrite(true);
  creator.SetDBFTable(&table_);
  creator.SetDBFType(dbf::TDbfTypes::DBaseIV);
  creator.SetCreateFields(std::move(field_specifications));
  creator.CreateTable();
}

void run_table_routine(host::RunContext& context, const std::string& path,
                       std::string_view folder_value,
                       const std::function<void(TableRun& run)>& body) {
  context.notify_start();
  std::exception_ptr failure;
  auto keep_first = [&failure] {
    if (!failure) failure = std::current_exception();
  };
  {
    dbf::TDbfDataSet table;
    try {
      table.SetTableName(path);
      table.SetLargeIntegerAs(dbf::TIntFields::asLargeInt);
      TableRun run(context, table);
      body(run);
    } catch (...) {
      keep_first();
    }
    try {
      table.Close();
    } catch (...) {
      keep_first();
    }
  }
  if (!folder_value.empty()) {
    try {
      context.folders().remember_folder_of(folder_value, path);
    } catch (...) {
      keep_first();
    }
  }
  context.notify_finish();
  if (failure) std::rethrow_exception(failure);
}

}  // namespace pharmex::exporting
