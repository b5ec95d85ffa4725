// Waybill host data for the export tests, built from CSV text.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "host/host_dataset.h"
#include "memhost/csv_reader.h"
#include "pharmex/host.h"

namespace pharmex::testing {

// The header columns the waybill layouts read, and one waybill row per entry.
inline const char* kWaybillHeaderColumns =
    "id:integer,native_id:string(20),date:date,orderdescr:string(100)\n";
inline const char* kWaybillLineColumns =
    "waybillheads_id:integer,price:float,qty:float,nds:float,art_id:integer,art_name:string(80),"
    "maker:string(40),country:string(15),box:float,serial:string(20),dateworkfirst:date,"
    "dateworklast:date,gtd:string(30),sertname:string(80),datesertlast:date,ean13:string(13)\n";

inline host::HostRef<memhost::MemoryDataSet> waybill_headers(const std::string& rows) {
  return memhost::read_csv(std::string(kWaybillHeaderColumns) + rows, "headers.csv");
}

// The line columns above with one column given another type: `retyped` is
// "name:type" ("price:string(9)") of one of them; empty keeps them all.
inline std::string waybill_line_columns(std::string_view retyped = {}) {
  std::string columns = kWaybillLineColumns;
  if (retyped.empty()) return columns;
  std::string name = "," + std::string(retyped.substr(0, retyped.find(':') + 1));
  size_t at = ("," + columns).find(name);
  if (at == std::string::npos) throw std::invalid_argument("no line column " + name.substr(1));
  size_t end = columns.find_first_of(",\n", at);
  return columns.replace(at, end - at, retyped);
}

inline host::HostRef<memhost::MemoryDataSet> waybill_lines(const std::string& rows,
                                                           std::string_view retyped = {}) {
  return memhost::read_csv(waybill_line_columns(retyped) + rows, "lines.csv");
}

// Makes a dataset's fields answer Empty (VT_EMPTY, which a C host's Value
// may return) where the data hold null. The in-memory host keeps no Empty
// value, so the dataset's table of operations is replaced by a copy whose
// FieldByName hands out fields whose Value says Empty instead of Null.
struct EmptyForNull {
  static void apply(memhost::MemoryDataSet& data) {
    dataset_table = *data.lpVtbl;
    original_field_by_name = data.lpVtbl->FieldByName;
    dataset_table.FieldByName = field_by_name;
    data.lpVtbl = &dataset_table;
  }

 private:
  static void PX_STDCALL field_by_name(IField** result, IDataSet* data, const PxChar16* name) {
    original_field_by_name(result, data, name);
    if (*result == nullptr) return;
    field_table = *(*result)->lpVtbl;
    original_value = (*result)->lpVtbl->Value;
    field_table.Value = value;
    (*result)->lpVtbl = &field_table;
  }

  static void PX_STDCALL value(PxVariant* result, IField* field) {
    original_value(result, field);
    if (result->vt == PX_VT_NULL) result->vt = PX_VT_EMPTY;
  }

  static inline IDataSetVtbl dataset_table{};
  static inline decltype(IDataSetVtbl::FieldByName) original_field_by_name = nullptr;
  static inline IFieldVtbl field_table{};
  static inline decltype(IFieldVtbl::Value) original_value = nullptr;
};

}  // namespace pharmex::testing
