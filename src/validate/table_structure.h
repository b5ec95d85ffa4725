// The structure of a table file, read and judged byte by byte: the 32-byte
// header (version, date, record count, header and record length, the
// encryption, flag and code-page bytes), the field descriptors, the 0x0D
// that ends them, the records and the 0x1A after the last one. Every defect
// becomes a finding at its byte; where a stored value and the bytes disagree
// the structure follows the bytes, so that the records are still checked
// where the table engine would refuse the file or read it wrong.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "validate/finding.h"
#include "validate/table_file.h"
#include "validate/table_layout.h"

namespace pharmex::validate {

// One field descriptor as the file holds it.
struct Descriptor {
  int number = 0;         // 1 ... n, in file order
  uint64_t at = 0;        // offset of its 32 bytes in the file
  std::string name;       // the bytes before the first zero, at most 11
  char type = 0;          // byte 11 as stored
  uint32_t length = 0;    // byte 16; for C fields byte 17 x 256 + byte 16
  uint32_t decimals = 0;  // byte 17 (0 for C fields)
  uint32_t offset = 0;    // the field's first byte in the record

  FieldShape shape() const { return {type, length, decimals}; }
  // True when the field is called `name`, compared as the table engine looks
  // fields up: without regard to case.
  bool named(std::string_view name) const;
  bool is_memo() const { return type == 'M' || type == 'B' || type == 'G'; }
};

struct TableStructure {
  uint8_t version = 0;
  std::vector<Descriptor> fields;
  uint32_t header_length = 0;  // where record 1 starts
  uint32_t record_length = 0;  // 1 + the fields' widths, or as stored (fields_fit)
  // False when the fields' widths do not add up to the record length the
  // file bears out: the fields cannot be found in the records.
  bool fields_fit = true;
  uint64_t record_count = 0;  // whole records in the file
  int text_code_page = 0;     // the page the table's text is read in
  bool has_memo_fields() const;
  // The first field called `name` (Descriptor::named); null when none is.
  const Descriptor* field(std::string_view name) const;
};

// Reads and checks the structure. `layout` decides what the library's own
// tables must have (dBase IV, no flags, no code-page mark). Nothing when the
// file holds no table whose records could be read (shorter than its header,
// or no descriptors to be found).
std::optional<TableStructure> check_structure(TableFile& file, const TableLayout& layout,
                                              Findings& findings);

}  // namespace pharmex::validate
