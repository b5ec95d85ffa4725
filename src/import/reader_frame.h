// The frame every order reader runs in. Unlike the exports' frame it opens a
// table that exists rather than creating one:
//
//   1. the start callback; from here on the finish callback is promised
//      (a layout with a late promise: from step 2 on);
//   2. the table dataset for the path, large integers as 64-bit integer
//      fields, with the run context's settings, file system and clock; from
//      here on its release, and the storing of the folder where the layout
//      does so, are promised;
//   3. Open: the table stands on its first visible record;
//   4. the progress rule over the table's record count (deleted records
//      included, so skipped ones keep the percentage below 100);
//   5. the walk: the reader's body merges the records;
//   6. where the layout does so: the order lines back on their first row,
//      and 100 % when the last report was lower;
//   7. always: the table released (its file closed), then the folder of the
//      path stored under "order_import_path" where the layout does so;
//   8. always: the finish callback.
//
// A failure ends the run where it happened; the promised steps still run and
// the failure is passed on after them (the first one, should a clean-up step
// fail as well).
#pragma once

#include <functional>
#include <string>

#include "dbf/dbf_dataset.h"
#include "host/progress_reporter.h"
#include "host/run_context.h"
#include "import/order_layout.h"

namespace pharmex::importing {

// The walk gets the open table, standing on its first visible record, and
// the progress rule; it reports one row per merged record.
using TableWalk = std::function<void(dbf::TDbfDataSet& table, host::ProgressReporter& progress)>;

void run_reader_frame(host::RunContext& context, const std::string& path, const OrderLayout& layout,
                      const TableWalk& walk);

}  // namespace pharmex::importing
