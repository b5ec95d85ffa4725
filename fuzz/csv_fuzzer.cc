// The host CSV loader (memhost, behind the tool and the tests): any text
// either loads or is refused with a message naming line and column. What
// loads is written back and loaded again: the second writing must equal the
// first (load -> write -> load keeps every value). No dataset or field
// object may outlive its last reference.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "memhost/csv_reader.h"
#include "memhost/csv_writer.h"
#include "memhost/memory_dataset.h"
#include "memhost/memory_field.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pharmex;
  using namespace pharmex::fuzzing;
  const int64_t datasets = memhost::MemoryDataSet::live_count();
  const int64_t fields = memhost::MemoryField::live_count();
  refused([&] {
    auto loaded = memhost::read_csv(as_text(data, size), "fuzz.csv");
    const std::string written = memhost::write_csv(loaded.get());
    auto again = memhost::read_csv(written, "written.csv");
    if (memhost::write_csv(again.get()) != written) finding("a written file reads differently");
  });
  if (memhost::MemoryDataSet::live_count() != datasets) finding("a dataset was kept");
  if (memhost::MemoryField::live_count() != fields) finding("a field was kept");
  return 0;
}
