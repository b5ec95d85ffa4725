#include "export/row_loop.h"

namespace pharmex::exporting {

void write_rows(TableRun& run, const host::HostDataSet& walked, const RowFilter& passes,
                const RowFill& fill, const RowSum& sum) {
  dbf::TDbfDataSet& table = run.table();
  host::ProgressReporter progress = run.progress(walked.record_count());
  if (sum) {
    for (walked.first(); !walked.eof(); walked.next())
      sum();
  }
  for (walked.first(); !walked.eof(); walked.next()) {
    if (passes && !passes()) continue;
    table.Append();
    fill();
    table.Post();
    progress.row_done();
  }
  progress.finish();
}

}  // namespace pharmex::exporting
