// What the fuzz targets found, kept as tests: each input that broke a
// promise, and the promise.
#include <gtest/gtest.h>

#include <string>

#include "memhost/csv_reader.h"
#include "memhost/csv_writer.h"

namespace pharmex::reliability {
namespace {

// csv target: a file opening with two byte-order marks. The reader skips the
// first; the second belongs to the first column's name, which the writer
// must keep (it quotes the cell) for the written file to read the same.
TEST(FuzzFindingsTest, ColumnNameStartingWithAByteOrderMarkSurvivesARoundTrip) {
  const std::string input = "\xEF\xBB\xBF\xEF\xBB\xBFn:float\n1e30\n0.\n";
  auto loaded = memhost::read_csv(input, "fuzz.csv");
  const std::string written = memhost::write_csv(loaded.get());
  EXPECT_EQ(written, "\"\xEF\xBB\xBFn:float\"\n1e+30\n0\n");
  auto again = memhost::read_csv(written, "written.csv");
  EXPECT_EQ(memhost::write_csv(again.get()), written);
}

}  // namespace
}  // namespace pharmex::reliability
