#include "import/reader_frame.h"

#include <memory>
#include <string_view>

#include "core/cleanup.h"
#include "host/host_dataset.h"

namespace pharmex::importing {

namespace {

constexpr std::string_view kFolderValue = "order_import_path";

std::unique_ptr<dbf::TDbfDataSet> table_for(const host::RunContext& context,
                                            const std::string& path) {
  auto table = std::make_unique<dbf::TDbfDataSet>(
      dbf::EngineOptions{context.settings(), context.file_system(), context.clock()});
  table->SetTableName(path);
  table->SetLargeIntegerAs(dbf::TIntFields::asLargeInt);
  // The order file is only read: a partner's file that is read-only (a
  // write-protected share, a file marked so) imports as any other.
  table->SetReadOnly(true);
  return table;
}

void open_and_walk(host::RunContext& context, dbf::TDbfDataSet& table, const OrderLayout& layout,
                   const TableWalk& walk) {
  table.Open();
  host::ProgressReporter progress = context.progress(table.RecordCount());
  walk(table, progress);
  if (layout.rewinds_and_completes) {
    host::HostDataSet(context.lines_dataset()).first();
    progress.finish();
  }
}

}  // namespace

void run_reader_frame(host::RunContext& context, const std::string& path, const OrderLayout& layout,
                      const TableWalk& walk) {
  context.notify_start();
  std::unique_ptr<dbf::TDbfDataSet> table;
  // Before its promise a failure leaves at once, without the finish call.
  if (!layout.finish_promised_from_start) table = table_for(context, path);
  // The release of the table and the storing of the folder are promised only
  // once the table dataset exists.
  run_then_clean_up(
      [&] {
        if (!table) table = table_for(context, path);
        open_and_walk(context, *table, layout, walk);
      },
      [&] {
        if (table) table->Close();
      },
      [&] {
        if (table && layout.remembers_folder)
          context.folders().remember_folder_of(kFolderValue, path);
      },
      [&] { context.notify_finish(); });
}

}  // namespace pharmex::importing
