// The table engine alone, on the records the peers write (common/
// djinal_record.h): appending N records of the Djinal table's 38 fields, the
// 24 the export assigns set from ready values; and walking N records reading
// every field.
#include <memory>
#include <string>
#include <vector>

#include "bench_case.h"
#include "common/djinal_record.h"
#include "core/date_time.h"
#include "core/variant.h"
#include "dbf/create_dbf_dataset.h"
#include "dbf/dbf_dataset.h"
#include "platform/text_codec.h"

namespace pharmex::bench {

namespace {

// Keeps the reads from being optimised away.
volatile int64_t sink;

std::vector<std::string> field_specifications() {
  std::vector<std::string> specifications;
  for (const dj_field& f : dj_fields) {
    specifications.push_back(std::string(f.name) + ";" + f.type + ";" +
                             std::to_string(f.type == 'D' ? 0 : f.length) + ";" +
                             std::to_string(f.decimals));
  }
  return specifications;
}

Variant field_value(const dj_values& values, int field) {
  const dj_field& f = dj_fields[field];
  const std::string_view text = values.text[field];
  switch (f.type) {
    case 'N':
      return f.decimals == 0 ? Variant::integer(static_cast<int32_t>(values.number[field]))
                             : Variant::real(values.number[field]);
    case 'D': {
      const int year = std::stoi(std::string(text.substr(0, 4)));
      const int month = std::stoi(std::string(text.substr(4, 2)));
      const int day = std::stoi(std::string(text.substr(6, 2)));
      return Variant::date(encode_date(year, month, day).value_or(0));
    }
    default: {
      const platform::TextCodec& codec = platform::text_codec();
      return Variant::string(codec.ansi_to_utf16(codec.oem_to_ansi(text)));
    }
  }
}

// DJ_POOL_SIZE records of the 24 assigned values, in assignment order.
using ValuePool = std::vector<std::vector<Variant>>;

std::shared_ptr<ValuePool> value_pool() {
  auto pool = std::make_shared<ValuePool>(DJ_POOL_SIZE);
  dj_values values;
  for (long r = 0; r < DJ_POOL_SIZE; ++r) {
    dj_make_values(r, &values);
    for (int field : dj_assigned)
      (*pool)[static_cast<size_t>(r)].push_back(field_value(values, field));
  }
  return pool;
}

void append_records(const std::string& path, int64_t rows, const ValuePool& pool) {
  dbf::TDbfDataSet table;
  table.SetTableName(path);
  table.SetLargeIntegerAs(dbf::TIntFields::asLargeInt);
  dbf::TCreateDbfDataSet creator;
  creator.SetAutoOverwrite(true);
  creator.SetDBFTable(&table);
  creator.SetDBFType(dbf::TDbfTypes::DBaseIV);
  creator.SetCreateFields(field_specifications());
  creator.CreateTable();
  std::vector<dbf::TDbfField*> fields;
  for (int field : dj_assigned)
    fields.push_back(&table.FieldByName(dj_fields[field].name));
  for (int64_t row = 0; row < rows; ++row) {
    const std::vector<Variant>& values = pool[static_cast<size_t>(row % DJ_POOL_SIZE)];
    table.Append();
    for (size_t i = 0; i < fields.size(); ++i)
      fields[i]->SetValue(values[i]);
    table.Post();
  }
  table.Close();
}

PreparedCase engine_append(const CaseSettings& s) {
  const std::string path = s.folder + "engine.dbf";
  std::shared_ptr<ValuePool> pool = value_pool();
  const int64_t rows = s.rows;
  return {[path, rows, pool] { append_records(path, rows, *pool); },
          [path] { return table_records(path); }};
}

PreparedCase engine_walk(const CaseSettings& s) {
  const std::string path = s.folder + "engine.dbf";
  append_records(path, s.rows, *value_pool());
  auto visited = std::make_shared<int64_t>(0);
  return {[path, visited] {
            dbf::TDbfDataSet table;
            table.SetTableName(path);
            table.SetLargeIntegerAs(dbf::TIntFields::asLargeInt);
            table.Open();
            const int count = table.FieldCount();
            int64_t kinds = 0;
            for (table.First(); !table.Eof(); table.Next()) {
              for (int i = 0; i < count; ++i)
                kinds += static_cast<int64_t>(table.Fields(i).Value().kind());
              ++*visited;
            }
            table.Close();
            sink = kinds;
          },
          [visited] { return *visited; }};
}

}  // namespace

std::vector<BenchCase> engine_cases() {
  return {{"engine-append", engine_append}, {"engine-walk", engine_walk}};
}

}  // namespace pharmex::bench
