// The import cases: an order file of N records, one per article of the
// synthetic price list, merged by each reader into an empty order held by the
// in-memory host (memhost), whose Locate must find each article among the
// lines appended so far.
#include <memory>

#include "bench_case.h"
#include "bench_data.h"
#include "core/variant.h"
#include "dbf/create_dbf_dataset.h"
#include "dbf/dbf_dataset.h"
#include "memhost/memory_dataset.h"
#include "pharmex/pharmex.h"

namespace pharmex::bench {

namespace {

using Lines = std::shared_ptr<host::HostRef<memhost::MemoryDataSet>>;

// The order lines of a host order: the columns the price list shares are
// filled from it, "qty" from the file, "RecId" by the host.
Lines empty_order() {
  std::vector<memhost::Column> columns = {
      {u"RecId", ftInteger, 0},    {u"suppliers_id", ftInteger, 0}, {u"art_id", ftInteger, 0},
      {u"art_name", ftString, 80}, {u"maker", ftString, 40},        {u"price", ftFloat, 0},
      {u"qty", ftInteger, 0}};
  return std::make_shared<host::HostRef<memhost::MemoryDataSet>>(
      memhost::MemoryDataSet::create(std::move(columns)));
}

// One record's values from its article's place in the price list.
using RecordValues = std::vector<Variant> (*)(int64_t row);

std::vector<Variant> dbf4_record(int64_t row) {
  return {Variant::integer(static_cast<int32_t>(row / 100 + 1)),
          Variant::ascii("A-17"),
          Variant::integer(kPriceSupplier),
          Variant::int64(kFirstPriceArticle + row),
          Variant::ascii("item"),
          Variant::integer(static_cast<int32_t>(1 + row % 5)),
          Variant::real(10.5)};
}

std::vector<Variant> khabarovsk_record(int64_t row) {
  return {Variant::integer(static_cast<int32_t>(kFirstPriceArticle + row)), Variant::ascii("item"),
          Variant::real(10.5), Variant::integer(static_cast<int32_t>(1 + row % 5))};
}

std::vector<Variant> unico_record(int64_t row) {
  return {Variant::ascii(std::to_string(kFirstPriceArticle + row)), Variant::ascii("item"),
          Variant::real(10.5), Variant::real(static_cast<double>(1 + row % 5))};
}

// Writes the order file with the table engine, as the partners' files are.
void write_order_file(const std::string& path, std::vector<std::string> fields, int64_t rows,
                      RecordValues values) {
  dbf::TDbfDataSet table;
  table.SetTableName(path);
  table.SetLargeIntegerAs(dbf::TIntFields::asLargeInt);
  table.SetExclusive(true);
  dbf::TCreateDbfDataSet creator;
  creator.SetAutoOverwrite(true);
  creator.SetDBFTable(&table);
  creator.SetDBFType(dbf::TDbfTypes::DBaseIV);
  creator.SetCreateFields(std::move(fields));
  creator.CreateTable();
  std::vector<dbf::TDbfField*> targets;
  for (int i = 0; i < table.FieldCount(); ++i)
    targets.push_back(&table.Fields(i));
  for (int64_t row = 0; row < rows; ++row) {
    table.Append();
    std::vector<Variant> record = values(row);
    for (size_t i = 0; i < targets.size(); ++i)
      targets[i]->SetValue(record[i]);
    table.Post();
  }
  table.Close();
}

struct ImportData {
  SyntheticRef prices;
  SyntheticRef second;
  Lines lines;
};

PreparedCase import_case(const CaseSettings& s, int file_type, std::vector<std::string> fields,
                         RecordValues values) {
  const std::string path = s.folder + "order.dbf";
  write_order_file(path, std::move(fields), s.rows, values);
  auto data = std::make_shared<ImportData>(
      ImportData{make_synthetic(price_table(s.rows)), make_synthetic({}), empty_order()});
  return {[data, path, file_type] {
            if (file_type == 0) {
              order_import_from_file(data->prices.get(), data->second.get(), data->lines->get(),
                                     path.c_str());
              check_library_error("order_import_from_file");
            } else {
              order_import(kHostWindow, data->prices.get(), data->second.get(), data->lines->get(),
                           on_progress, on_start, on_finish);
              answer_dialog(path, file_type);
            }
          },
          [data] { return static_cast<int64_t>((*data->lines)->row_count()); }};
}

PreparedCase import_dbf4(const CaseSettings& s) {
  return import_case(s, 0,
                     {"ID;N;11;0", "NATIVE_ID;C;20;0", "SUPPL_ID;N;11;0", "ART_ID;N;11;0",
                      "ART_NAME;C;80;0", "QTY;N;11;0", "PRICE;F;20;2"},
                     dbf4_record);
}

PreparedCase import_khabarovsk(const CaseSettings& s) {
  return import_case(s, 1, {"COD;N;8;0", "NAIM;C;96;0", "CENA;N;9;2", "QTY;N;8;0"},
                     khabarovsk_record);
}

PreparedCase import_unico(const CaseSettings& s) {
  return import_case(s, 2, {"CODEPST;C;12;0", "NAME;C;80;0", "PRICE1;N;9;2", "QNT;N;14;2"},
                     unico_record);
}

}  // namespace

std::vector<BenchCase> import_cases() {
  return {{"import-dbf4", import_dbf4},
          {"import-khabarovsk", import_khabarovsk},
          {"import-unico", import_unico}};
}

}  // namespace pharmex::bench
