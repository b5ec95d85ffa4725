// The two ways the tests load host CSV text: into memory (read_csv), or as a
// file whose rows are read on demand (open_csv_file). A suite that runs
// against both takes a CsvLoader as (part of) its parameter.
#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>

#include "host/host_ref.h"
#include "memhost/csv_reader.h"
#include "memhost/memory_dataset.h"
#include "testing/test_support.h"

namespace pharmex::memhost::testing {

struct CsvLoader {
  const char* name;
  bool on_demand;

  // The name messages give a text loaded as `file`.
  std::string source_name(const std::string& file = "t.csv") const {
    return on_demand ? folder().file(file) : file;
  }

  host::HostRef<MemoryDataSet> load(std::string_view text,
                                    const std::string& file = "t.csv") const {
    if (!on_demand) return read_csv(text, file);
    // Put in place by a rename, so that a dataset still reading an earlier
    // file of that name keeps its bytes.
    const std::string path = source_name(file);
    pharmex::testing::write_file(path + ".new", std::string(text));
    std::filesystem::rename(path + ".new", path);
    return open_csv_file(path);
  }

 private:
  static const pharmex::testing::TempDir& folder() {
    static const pharmex::testing::TempDir dir;
    return dir;
  }
};

inline constexpr CsvLoader kInMemory{"InMemory", false};
inline constexpr CsvLoader kOnDemand{"OnDemand", true};

inline void PrintTo(const CsvLoader& loader, std::ostream* out) {
  *out << loader.name;
}

}  // namespace pharmex::memhost::testing
