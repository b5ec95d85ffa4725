// A table as it lies on disk, read back after the fact with the engine's own
// reader (and the real files): what the reliability tests compare between a
// clean run and a run that failed, was killed or had company.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pharmex::reliability {

struct TableImage {
  uint32_t header_count = 0;  // header bytes 4-7
  int32_t record_count = 0;   // counted from the file size, as the engine counts
  // The bytes of each counted record, deleted ones included.
  std::vector<std::string> records;
  // Each record's field values as text (UTF-8; "<null>" for a null), every
  // field read, memo texts included.
  std::vector<std::vector<std::string>> values;
};

// Opens the table shared and read-only through TDbfDataSet and reads every
// record and every field of it. Throws what the engine throws.
TableImage read_table_image(const std::string& path);

// "" when the table opens, every record it counts reads back, and its header
// count is not above the records present; otherwise what is wrong.
std::string check_table_sound(const std::string& path);

}  // namespace pharmex::reliability
