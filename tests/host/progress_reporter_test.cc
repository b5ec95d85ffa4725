#include "host/progress_reporter.h"

#include <gtest/gtest.h>

#include <vector>

namespace pharmex::host {
namespace {

std::vector<int32_t> reports;
PxWindow last_window = 0;

void PX_STDCALL record(PxWindow window, int32_t percent) {
  last_window = window;
  reports.push_back(percent);
}

std::vector<int32_t> run(int32_t count, int rows, int skipped_at_end = 0) {
  reports.clear();
  ProgressReporter progress(record, 42, count);
  for (int i = 0; i < rows - skipped_at_end; ++i)
    progress.row_done();
  progress.finish();
  return reports;
}

TEST(ProgressReporterTest, ThreeRows) {
  EXPECT_EQ(run(3, 3), (std::vector<int32_t>{33, 66, 100}));
}

TEST(ProgressReporterTest, ThreeHundredRowsReportEachPercentOnce) {
  std::vector<int32_t> expected;
  for (int32_t p = 1; p <= 100; ++p)
    expected.push_back(p);
  EXPECT_EQ(run(300, 300), expected);
  EXPECT_EQ(last_window, 42u);
}

TEST(ProgressReporterTest, SkippedRowsLeaveTheFinal100ToTheEnd) {
  EXPECT_EQ(run(4, 4, 1), (std::vector<int32_t>{25, 50, 75, 100}));
}

TEST(ProgressReporterTest, EmptyDatasetReportsOnly100) {
  EXPECT_EQ(run(0, 0), std::vector<int32_t>{100});
}

TEST(ProgressReporterTest, ACountOfZeroWithRowsNeverDividesByZero) {
  EXPECT_EQ(run(0, 5), std::vector<int32_t>{100});
  EXPECT_EQ(run(-3, 5), std::vector<int32_t>{100});
}

TEST(ProgressReporterTest, ACountBelowTheRowsNeverPasses100) {
  EXPECT_EQ(run(2, 5), (std::vector<int32_t>{50, 100}));
}

TEST(ProgressReporterTest, WithoutACallbackTheRuleStillRuns) {
  ProgressReporter progress(nullptr, 0, 2);
  progress.row_done();
  EXPECT_EQ(progress.last_reported(), 50);
  progress.finish();
  EXPECT_EQ(progress.last_reported(), 50);  // no callback: nothing reported
}

}  // namespace
}  // namespace pharmex::host
