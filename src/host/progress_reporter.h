// The progress rule every table routine and reader follows: after each row,
// percent = rows done x 100 / the row count read before the first row,
// reported through the progress callback only when it grows, and 100 reported
// at the end when the last report was lower.
//
// A count of 0 (or below) reports nothing until the end, and a count smaller
// than the rows delivered never reports more than 100: the host's count is a
// promise the library cannot check, and a bar past 100 % or a division by zero
// helps nobody.
#pragma once

#include <cstdint>

#include "pharmex/host.h"

namespace pharmex::host {

class ProgressReporter {
 public:
  // `callback` may be null: the rule still runs, nothing is called.
  ProgressReporter(PxProgressCallback callback, PxWindow window, int32_t count)
      : callback_(callback), window_(window), count_(count) {}

  // One more row done.
  void row_done();
  // The end of the run: reports 100 when the last report was lower.
  void finish();

  int32_t last_reported() const { return last_; }

 private:
  void report(int32_t percent);

  PxProgressCallback callback_;
  PxWindow window_;
  int32_t count_;
  int64_t rows_ = 0;
  int32_t last_ = 0;
};

}  // namespace pharmex::host
