// The row loop every table routine shares, after its table was created:
//
//   1. read the walked dataset's RecordCount once;
//   2. for a layout whose records carry totals of the run: move to First and,
//      until Eof, sum the row (every row, the filter is not asked); move to
//      Next;
//   3. move to First; until Eof: when the row passes the layout's filter (if
//      it has one), append a record, fill it, post it and apply the progress
//      rule; move to Next;
//   4. after the last row, report 100 when the last report was lower.
//
// Rows the filter skips are not counted, so the percentage may stay below
// 100 until the end. A failure ends the loop at its row: the record being
// filled is not posted, the records posted before stay in the file; a
// failure of the sums leaves the table without records.
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
// Adds the walked dataset's current row to the run's totals.
using RowSum = std::function<void()>;

// `passes` may be empty: every row is written; `sum` may be empty: no sums.
void write_rows(TableRun& run, const host::HostDataSet& walked, const RowFilter& passes,
                const RowFill& fill, const RowSum& sum = {});

}  // namespace pharmex::exporting
