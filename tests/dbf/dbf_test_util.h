// Table files built byte by byte for the engine's tests, so every test states
// exactly what lies on disk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pharmex::dbf::testing {

struct FieldSpec {
  std::string name;
  char type = 'C';
  int length = 0;  // for C fields up to 65535 (stored as low byte and high byte)
  int decimals = 0;
};

struct TableSpec {
  uint8_t version = 0x03;
  std::vector<FieldSpec> fields;
  std::vector<std::string> records;  // each record's bytes after its deletion flag
  std::vector<bool> deleted;         // per record; missing entries are live
  int64_t header_count = -1;         // record count written in the header; -1: records.size()
  bool end_mark = true;              // 0x1A after the last record
};

int RecordLength(const std::vector<FieldSpec>& fields);
int HeaderLength(const TableSpec& spec);
std::string MakeTable(const TableSpec& spec);

// Little-endian helpers for patching bytes in tests.
void Put16(std::string& bytes, size_t offset, uint16_t value);
void Put32(std::string& bytes, size_t offset, uint32_t value);
uint32_t Get32(const std::string& bytes, size_t offset);

}  // namespace pharmex::dbf::testing
