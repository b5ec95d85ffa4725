// The host CSV loader (memhost, behind the tool and the tests): any text
// either loads or is refused with a message naming line and column. What
// loads is written back and loaded again: the second writing must equal the
// first (load -> write -> load keeps every value). The same text opened as a
// file whose rows are read on demand (through the platform's file system,
// here in memory) must be refused with the same message or give the same
// rows, read backwards as well as forwards. No dataset or field object may
// outlive its last reference.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/regional_settings.h"
#include "core/service.h"
#include "core/variant.h"
#include "fuzz_support.h"
#include "memhost/csv_reader.h"
#include "memhost/csv_writer.h"
#include "memhost/memory_dataset.h"
#include "memhost/memory_field.h"
#include "memory_file_system.h"

namespace pharmex::fuzzing {
namespace {

constexpr const char* kPath = "/fuzz/prices.csv";

bool same(const Variant& a, const Variant& b) {
  if (a.kind() != b.kind()) return false;
  if (a.kind() == Variant::Kind::Double && std::isnan(a.double_value())) {
    return std::isnan(b.double_value());
  }
  return compare(a, b, RegionalSettings{}) == Ordering::Equal;
}

// The text loaded into memory, written back: or the message it is refused with.
struct Outcome {
  std::string written;
  std::optional<std::string> refusal;
};

Outcome load_in_memory(std::string_view text) {
  Outcome outcome;
  try {
    auto loaded = memhost::read_csv(text, kPath);
    outcome.written = memhost::write_csv(loaded.get());
  } catch (const Error& error) {
    outcome.refusal = error.what();
    return outcome;
  }
  refused([&] {
    auto again = memhost::read_csv(outcome.written, "written.csv");
    if (memhost::write_csv(again.get()) != outcome.written) {
      finding("a written file reads differently");
    }
  });
  return outcome;
}

void open_on_demand(std::string_view text, const Outcome& in_memory) {
  MemoryFileSystem files;
  files.add(kPath, text);
  Service<platform::FileSystem>::Scoped scope(files);
  try {
    auto opened = memhost::open_csv_file(kPath);
    if (in_memory.refusal) finding("a file refused in memory opens on demand");
    auto loaded = memhost::read_csv(text, kPath);
    if (opened->row_count() != loaded->row_count()) finding("the row counts differ");
    const size_t columns = loaded->columns().size();
    for (size_t row = opened->row_count(); row-- > 0;) {
      for (size_t column = columns; column-- > 0;) {
        if (!same(opened->value(row, column), loaded->value(row, column))) {
          finding("a row read backwards on demand differs");
        }
      }
    }
    if (memhost::write_csv(opened.get()) != in_memory.written) {
      finding("a file read on demand writes differently");
    }
    if (!opened->failures().empty()) finding("reading on demand failed");
  } catch (const Error& error) {
    if (!in_memory.refusal) finding("a file loaded in memory is refused on demand");
    if (*in_memory.refusal != error.what()) finding("the two readers refuse differently");
  }
}

}  // namespace
}  // namespace pharmex::fuzzing

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace pharmex;
  using namespace pharmex::fuzzing;
  const int64_t datasets = memhost::MemoryDataSet::live_count();
  const int64_t fields = memhost::MemoryField::live_count();
  const std::string_view text = as_text(data, size);
  open_on_demand(text, load_in_memory(text));
  if (memhost::MemoryDataSet::live_count() != datasets) finding("a dataset was kept");
  if (memhost::MemoryField::live_count() != fields) finding("a field was kept");
  return 0;
}
