// The row loop every table routine shares, after its table was created:
//
//   1. read the walked dataset's RecordCount once and move it to First;
//   2. until Eof: when the row passes the layout's filter (if it has one),
//      append a record, fill it, post it and apply the progress rule; move to
//      Next;
//   3. after the last row, report 100 when the last report was lower.
//
// Rows the filter skips are not counted, so the percentage may stay below
// 100 until the end. A failure ends the loop at its row: the record being
// filled is not posted, the records posted before stay in the file.
#pragma once

#include <functional>

#include "export/table_routine.h"
#include "host/host_dataset.h"

namespace pharmex::exporting {

// Decides on the walked dataset's current row (and may move other cursors,
// as the join with a header does).
using RowFilter = std::function<bool()>;
// Fills the appended record from the host's current rows.
using RowFill = std::function<void()>;

// `passes` may be empty: every row is written.
void write_rows(TableRun& run, const host::HostDataSet& walked, const RowFilter& passes,
                const RowFill& fill);

}  // namespace pharmex::exporting
