// GenericTable: the generic table layouts (suppliers, orders, the generic
// price table, the generic waybill table), whose fields follow the host's
// columns.
//
// The routine describes its source datasets in order (an order's or a
// waybill's header dataset before its lines dataset), then writes:
//
//   GenericTable table{ColumnList(kSupplierColumns)};
//   table.describe(suppliers);
//   table.write(run, suppliers, {});
//
// Fields. A column gets a field when its name is in the layout's list and
// the field-type rule gives it a specification (export/field_rules.h); the
// fields follow the host's column order. A listed name in two sources, or no
// field at all, makes the table creator refuse the list ("Field list is
// invalid") before any file is written.
//
// Rows. Every source column, listed or not, goes to the table field of its
// mapped name when the table has one, sources in the order described, so a
// lines value replaces a header value copied into the same field. A field
// name holds 10 characters, and the table builder cuts a longer one; so the
// name the field-name table gives "Round_MakerPrice_without_nds"
// ("RndMkPrOutNds") is cut the same way to find its field RNDMKPROUT. Every
// other column is matched by its whole mapped name: a column such as
// "dt_w_first_old" must not land in DT_W_FIRST over "dateworkfirst".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/column_list.h"
#include "export/field_copies.h"
#include "export/row_loop.h"
#include "export/table_routine.h"
#include "host/host_dataset.h"

namespace pharmex::exporting {

class GenericTable {
 public:
  explicit GenericTable(ColumnList columns) : list_(std::move(columns)) {}

  // Reads the columns of one source (name, type, width), once per run.
  // `moves`, when given, counts the source's cursor moves (export/field_copies.h).
  void describe(const host::HostDataSet& source, const uint64_t* moves = nullptr);

  // The specifications of the fields, in order ("suppl_id;N;11;0", ...).
  const std::vector<std::string>& field_specifications() const { return specifications_; }

  // Pairs every described column with the field of its stored name in the
  // open table; columns whose name the table lacks are passed over.
  FieldCopies bind(dbf::TDbfDataSet& table) const;

  // Creates the table, binds it and writes one record per row of `walked`
  // that `passes` (export/row_loop.h).
  void write(TableRun& run, const host::HostDataSet& walked, const RowFilter& passes) const;

 private:
  struct SourceColumn {
    host::HostField column;
    std::string stored_name;
    const uint64_t* moves;
  };

  ColumnList list_;
  std::vector<SourceColumn> columns_;
  std::vector<std::string> specifications_;
};

// The name by which a host column finds its field: the shortened name of the
// field-name table cut to the 10 characters the table stores of it, or the
// column's own name, whole (field lookup ignores case).
std::string stored_field_name(std::string_view column_name);

}  // namespace pharmex::exporting
