#include "reliability/table_image.h"

#include <exception>

#include "core/variant.h"
#include "dbf/dbf_dataset.h"
#include "dbf/dbf_field_layer.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace pharmex::reliability {

namespace {

uint32_t header_count_of(const std::string& path) {
  const std::string bytes = pharmex::testing::read_file(path);
  if (bytes.size() < 8) return 0;
  uint32_t count = 0;
  for (int i = 7; i >= 4; --i)
    count = count << 8 | static_cast<uint8_t>(bytes[i]);
  return count;
}

// Renders a value the same way whatever the locale: the text rendering of
// fixed Russian settings.
std::string text_of(const Variant& value) {
  if (value.is_null()) return "<null>";
  return platform::utf16_to_utf8(value.to_text(RegionalSettings{}));
}

}  // namespace

TableImage read_table_image(const std::string& path) {
  TableImage image;
  dbf::TDbfDataSet table;
  table.SetTableName(path);
  table.SetReadOnly(true);
  table.SetUseDeleted(true);
  table.SetLargeIntegerAs(dbf::TIntFields::asLargeInt);
  table.Open();
  image.record_count = table.RecordCount();
  image.header_count = header_count_of(table.DBFObject()->FileName());
  for (table.First(); !table.Eof(); table.Next()) {
    image.records.emplace_back(table.DBFObject()->RecordBuffer().begin(),
                               table.DBFObject()->RecordBuffer().end());
    std::vector<std::string> values;
    for (int i = 0; i < table.FieldCount(); ++i)
      values.push_back(text_of(table.Fields(i).Value()));
    image.values.push_back(std::move(values));
  }
  table.Close();
  return image;
}

std::string check_table_sound(const std::string& path) {
  TableImage image;
  try {
    image = read_table_image(path);
  } catch (const std::exception& e) {
    return std::string("does not read back: ") + e.what();
  }
  if (image.records.size() != static_cast<size_t>(image.record_count)) {
    return "counts " + std::to_string(image.record_count) + " records but " +
           std::to_string(image.records.size()) + " read back";
  }
  if (image.header_count > static_cast<uint32_t>(image.record_count)) {
    return "header counts " + std::to_string(image.header_count) + " records, " +
           std::to_string(image.record_count) + " present";
  }
  return "";
}

}  // namespace pharmex::reliability
