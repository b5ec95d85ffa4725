#include "dbf/dbf_test_util.h"

namespace pharmex::dbf::testing {

int RecordLength(const std::vector<FieldSpec>& fields) {
  int length = 1;
  for (const FieldSpec& field : fields)
    length += field.length;
  return length;
}

int HeaderLength(const TableSpec& spec) {
  return 32 * static_cast<int>(spec.fields.size()) + 33 + (spec.version == 0x30 ? 263 : 0);
}

void Put16(std::string& bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

void Put32(std::string& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes[offset + static_cast<size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t Get32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<size_t>(i)]);
  return value;
}

std::string MakeTable(const TableSpec& spec) {
  std::string bytes(32, '\0');
  bytes[0] = static_cast<char>(spec.version);
  bytes[1] = 24;
  bytes[2] = 5;
  bytes[3] = 17;
  int64_t count =
      spec.header_count < 0 ? static_cast<int64_t>(spec.records.size()) : spec.header_count;
  Put32(bytes, 4, static_cast<uint32_t>(count));
  Put16(bytes, 8, static_cast<uint16_t>(HeaderLength(spec)));
  Put16(bytes, 10, static_cast<uint16_t>(RecordLength(spec.fields)));
  for (const FieldSpec& field : spec.fields) {
    std::string descriptor(32, '\0');
    descriptor.replace(0, field.name.size(), field.name);
    descriptor[11] = field.type;
    descriptor[16] = static_cast<char>(field.length & 0xFF);
    descriptor[17] = static_cast<char>(field.type == 'C' ? field.length >> 8 : field.decimals);
    bytes += descriptor;
  }
  bytes.push_back('\x0D');
  if (spec.version == 0x30) bytes.append(263, '\0');
  const size_t record_length = static_cast<size_t>(RecordLength(spec.fields)) - 1;
  for (size_t i = 0; i < spec.records.size(); ++i) {
    bool deleted = i < spec.deleted.size() && spec.deleted[i];
    std::string body = spec.records[i];
    body.resize(record_length, ' ');
    bytes.push_back(deleted ? '*' : ' ');
    bytes += body;
  }
  if (spec.end_mark) bytes.push_back('\x1A');
  return bytes;
}

}  // namespace pharmex::dbf::testing
