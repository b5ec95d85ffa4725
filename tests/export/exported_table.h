// Reads a table an export wrote, byte by byte, so that the tests state exactly
// what lies on disk: the header's counts, the field descriptors, and each
// record's raw field texts (OEM bytes shown as UTF-8). Every table read so
// must also meet its layout as `pharmex validate` judges it (recognised from
// its fields): the library's own files never have findings.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_codec.h"
#include "testing/test_support.h"
#include "validate/validate_support.h"

namespace pharmex::testing {

class ExportedTable {
 public:
  explicit ExportedTable(const std::string& path) : bytes_(read_file(path)) {
    const validate::ValidationReport report = validate::testing::validate(path);
    EXPECT_EQ(validate::testing::defects(report), 0u) << validate::testing::listed(report);
    if (bytes_.size() < 34) throw std::runtime_error("no table at " + path);
    for (size_t at = 32; at + 32 <= bytes_.size() && bytes_[at] != 0x0D; at += 32) {
      Field field;
      field.name = bytes_.substr(at, 11).c_str();
      field.type = bytes_[at + 11];
      field.length = byte(at + 16);
      field.decimals = byte(at + 17);
      if (field.type == 'C') field.length += field.decimals * 256;
      field.offset = fields_.empty() ? 1 : fields_.back().offset + fields_.back().length;
      fields_.push_back(field);
    }
  }

  const std::string& bytes() const { return bytes_; }
  uint8_t version() const { return byte(0); }
  uint32_t record_count() const {
    return byte(4) | byte(5) << 8 | byte(6) << 16 | static_cast<uint32_t>(byte(7)) << 24;
  }
  size_t header_length() const { return byte(8) | byte(9) << 8; }
  size_t record_length() const { return byte(10) | byte(11) << 8; }

  // "NAME C 60/0", in descriptor order (C lengths above 255 counted whole).
  std::vector<std::string> fields() const {
    std::vector<std::string> out;
    for (const Field& f : fields_) {
      out.push_back(f.name + " " + f.type + " " + std::to_string(f.length) + "/" +
                    std::to_string(f.type == 'C' ? 0 : f.decimals));
    }
    return out;
  }

  // Record `index` (0-based), deletion flag first.
  std::string record(size_t index) const {
    return bytes_.substr(header_length() + index * record_length(), record_length());
  }

  // The field's bytes in record `index`, blanks kept, OEM shown as UTF-8.
  std::string raw(size_t index, std::string_view name) const {
    const Field& f = field(name);
    const platform::TextCodec& codec = platform::text_codec();
    return codec.ansi_to_utf8(codec.oem_to_ansi(record(index).substr(f.offset, f.length)));
  }

  // The same without leading and trailing blanks.
  std::string text(size_t index, std::string_view name) const {
    std::string value = raw(index, name);
    size_t first = value.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return value.substr(first, value.find_last_not_of(' ') - first + 1);
  }

  // text() of the field in every record.
  std::vector<std::string> column(std::string_view name) const {
    std::vector<std::string> out;
    for (size_t i = 0; i < record_count(); ++i)
      out.push_back(text(i, name));
    return out;
  }

 private:
  struct Field {
    std::string name;
    char type = 0;
    size_t length = 0;
    size_t decimals = 0;
    size_t offset = 0;
  };

  uint32_t byte(size_t at) const { return static_cast<unsigned char>(bytes_.at(at)); }

  const Field& field(std::string_view name) const {
    for (const Field& f : fields_) {
      if (f.name == name) return f;
    }
    throw std::runtime_error("no field " + std::string(name));
  }

  std::string bytes_;
  std::vector<Field> fields_;
};

}  // namespace pharmex::testing
