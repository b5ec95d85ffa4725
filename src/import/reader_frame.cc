#include "import/reader_frame.h"

#include <exception>
#include <memory>
#include <string_view>

#include "host/host_dataset.h"

namespace pharmex::importing {

namespace {

constexpr std::string_view kFolderValue = "order_import_path";

// Runs the steps of one reader, keeping the first failure; later steps still
// run and their own failures are dropped in its favour.
class FirstFailure {
 public:
  template <class Step>
  void run(Step&& step) {
    try {
      step();
    } catch (...) {
      if (!failure_) failure_ = std::current_exception();
    }
  }
  void rethrow() const {
    if (failure_) std::rethrow_exception(failure_);
  }

 private:
  std::exception_ptr failure_;
};

std::unique_ptr<dbf::TDbfDataSet> table_for(const std::string& path) {
  auto table = std::make_unique<dbf::TDbfDataSet>();
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
  if (!layout.finish_promised_from_start) table = table_for(path);
  FirstFailure failure;
  if (!table) failure.run([&] { table = table_for(path); });
  if (table) {
    failure.run([&] { open_and_walk(context, *table, layout, walk); });
    failure.run([&] { table->Close(); });
    table.reset();
    if (layout.remembers_folder) {
      failure.run([&] { context.folders().remember_folder_of(kFolderValue, path); });
    }
  }
  context.notify_finish();
  failure.rethrow();
}

}  // namespace pharmex::importing
