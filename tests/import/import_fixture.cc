#include "import/import_fixture.h"

#include <stdexcept>

#include "dbf/create_dbf_dataset.h"
#include "dbf/dbf_dataset.h"
#include "memhost/csv_reader.h"
#include "testing/test_support.h"

namespace pharmex::importing::testing {

using pharmex::testing::read_file;
using pharmex::testing::write_file;

void write_order_file(const std::string& path, const std::vector<std::string>& fields,
                      const std::vector<Record>& records) {
  dbf::TDbfDataSet table;
  table.SetTableName(path);
  table.SetLargeIntegerAs(dbf::TIntFields::asLargeInt);
  dbf::TCreateDbfDataSet creator;
  creator.SetDBFTable(&table);
  creator.SetDBFType(dbf::TDbfTypes::DBaseIV);
  creator.SetAutoOverwrite(true);
  creator.SetCreateFields(fields);
  creator.CreateTable();
  for (const Record& record : records) {
    table.Append();
    for (size_t i = 0; i < record.size(); ++i)
      table.Fields(static_cast<int>(i)).SetValue(record[i]);
    table.Post();
  }
  table.Close();
}

void delete_record(const std::string& path, int number) {
  std::string bytes = read_file(path);
  auto word = [&bytes](size_t offset) {
    return static_cast<size_t>(static_cast<unsigned char>(bytes[offset]) |
                               static_cast<unsigned char>(bytes[offset + 1]) << 8);
  };
  size_t header_length = word(8);
  size_t record_length = word(10);
  bytes.at(header_length + static_cast<size_t>(number - 1) * record_length) = '*';
  write_file(path, bytes);
}

void patch_file(const std::string& path, const std::string& from, const std::string& to) {
  std::string bytes = read_file(path);
  size_t at = bytes.find(from);
  if (at == std::string::npos || from.size() != to.size())
    throw std::logic_error("cannot patch " + path);
  bytes.replace(at, from.size(), to);
  write_file(path, bytes);
}

// What the generic order export writes for a typical order.
std::vector<std::string> dbf4_fields() {
  return {"ID;N;11;0",       "NATIVE_ID;C;20;0", "SUPPL_ID;N;11;0", "ART_ID;N;11;0",
          "ART_NAME;C;80;0", "QTY;N;11;0",       "PRICE;F;20;2"};
}

Record dbf4_record(int supplier, int article, double quantity) {
  return {Variant::integer(1),       Variant::ascii("A-17"), Variant::integer(supplier),
          Variant::integer(article), Variant::ascii("item"), Variant::real(quantity),
          Variant::real(10.5)};
}

std::vector<std::string> khabarovsk_fields() {
  return {"COD;N;8;0", "NAIM;C;96;0", "CENA;N;9;2", "QTY;N;8;0"};
}

Record khabarovsk_record(int article, double quantity) {
  return {Variant::integer(article), Variant::ascii("item"), Variant::real(10.5),
          Variant::real(quantity)};
}

std::vector<std::string> unico_fields() {
  return {"CODEPST;C;12;0", "NAME;C;80;0", "PRICE1;N;9;2", "QNT;N;14;2"};
}

Record unico_record(const std::string& article, double quantity) {
  return {Variant::ascii(article), Variant::ascii("item"), Variant::real(10.5),
          Variant::real(quantity)};
}

host::HostRef<memhost::MemoryDataSet> test_prices() {
  return memhost::read_csv(
      "suppliers_id:integer,art_id:integer,art_name:string(40),price:float,maker:string(20)\n"
      "3,1001,Аспирин,12.5,Байер\n"
      "3,1002,Анальгин,7,Фармстандарт\n"
      "4,1001,Аспирин УПСА,13.25,УПСА\n"
      "4,2001,Бинт,30,Эвтекс\n",
      "prices.csv");
}

host::HostRef<memhost::MemoryDataSet> test_lines(const std::string& rows) {
  return memhost::read_csv(std::string(kLinesHeader) + rows, "lines.csv");
}

}  // namespace pharmex::importing::testing
