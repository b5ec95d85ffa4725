#include "export/generic_table_export.h"

#include <utility>

#include "export/field_rules.h"
#include "host/field_name_rule.h"

namespace pharmex::exporting {

namespace {

// The length of a dBase field name.
constexpr size_t kFieldNameLength = 10;

}  // namespace

std::string stored_field_name(std::string_view column_name) {
  std::optional<std::string_view> shortened = host::shortened_field_name(column_name);
  if (!shortened) return std::string(column_name);
  return std::string(shortened->substr(0, kFieldNameLength));
}

void GenericTable::describe(const host::HostDataSet& source, const uint64_t* moves) {
  int32_t count = source.field_count();
  for (int32_t index = 0; index < count; ++index) {
    host::HostField column = source.field(index);
    std::string name = column.name();
    if (list_.contains(name)) {
      std::string specification = field_specification(column);
      if (!specification.empty()) specifications_.push_back(std::move(specification));
    }
    columns_.push_back({std::move(column), stored_field_name(name), moves});
  }
}

FieldCopies GenericTable::bind(dbf::TDbfDataSet& table) const {
  FieldCopies copies;
  for (const SourceColumn& source : columns_) {
    if (dbf::TDbfField* field = table.FindField(source.stored_name)) {
      copies.add(source.column, *field, source.moves);
    }
  }
  return copies;
}

void GenericTable::write(TableRun& run, const host::HostDataSet& walked,
                         const RowFilter& passes) const {
  run.create(specifications_);
  FieldCopies copies = bind(run.table());
  write_rows(run, walked, passes, [&copies] { copies.copy_row(); });
}

}  // namespace pharmex::exporting
