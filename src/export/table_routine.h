// The frame every table routine shares (suppliers, orders, the price tables,
// the waybill tables):
//
//   1. the start callback;
//   2. the table dataset for the target path, large integers as 64-bit
//      integer fields, with the run context's settings, file system and
//      clock; the routine's body creates the table, appends, fills and posts
//      its records and reports progress;
//   3. when the body succeeded: the table, written aside until then, is
//      closed and takes the target's place (dbf::TTableStage);
//   4. always, also after a failure: the table is released (a table not put
//      in place is thrown away, and the target stays as it was), the folder
//      of the path is remembered where the layout does so, and the finish
//      callback is called.
//
// So a partner watching the folder never finds half a table under the
// target's name: it finds yesterday's file (or none) until the whole new one
// takes its place, also when the run fails at a row or is killed.
//
// A failure of the body is passed on after the clean-up; should the clean-up
// fail as well, the first failure is the one reported.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dbf/dbf_dataset.h"
#include "host/progress_reporter.h"
#include "host/run_context.h"

namespace pharmex::exporting {

// What a routine's body works with.
class TableRun {
 public:
  TableRun(host::RunContext& context, dbf::TDbfDataSet& table) : context_(context), table_(table) {}

  host::RunContext& context() { return context_; }
  dbf::TDbfDataSet& table() { return table_; }
  // The settings host values are converted and combined with: the context's.
  const RegionalSettings& settings() const { return context_.settings(); }

  // Creates the table for the path (an existing file is replaced at the
  // end, dBase IV form) with these field specifications, in order, and
  // opens it; the files are written aside as the table reads them, with its
  // options.
  void create(std::vector<std::string> field_specifications);

  // The progress rule for `count` rows (the walked dataset's RecordCount,
  // read once before the first row).
  host::ProgressReporter progress(int32_t count) const { return context_.progress(count); }

 private:
  host::RunContext& context_;
  dbf::TDbfDataSet& table_;
};

// Runs one table routine on `path`. `folder_value` names the registry value
// that remembers the folder ("" for layouts that remember none).
void run_table_routine(host::RunContext& context, const std::string& path,
                       std::string_view folder_value,
                       const std::function<void(TableRun& run)>& body);

}  // namespace pharmex::exporting
