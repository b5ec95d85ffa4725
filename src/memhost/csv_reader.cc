#include "memhost/csv_reader.h"

#include <vector>

#include "memhost/csv_file_rows.h"
#include "memhost/csv_scanner.h"

namespace pharmex::memhost {

host::HostRef<MemoryDataSet> read_csv(std::string_view text, std::string_view source_name) {
  CsvTextSource source(text);
  CsvScanner scanner(source, std::string(source_name));
  host::HostRef<MemoryDataSet> dataset = MemoryDataSet::create(scanner.read_header());
  uint64_t offset = 0;
  std::vector<Variant> values;
  while (scanner.next_row(offset, &values))
    dataset->add_row(std::move(values));
  return dataset;
}

host::HostRef<MemoryDataSet> open_csv_file(const std::string& path) {
  return MemoryDataSet::create_over(CsvFileRows::open(path));
}

}  // namespace pharmex::memhost
