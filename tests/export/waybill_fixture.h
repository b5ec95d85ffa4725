// Waybill host data for the export tests, built from CSV text.
#pragma once

#include <string>

#include "host/host_dataset.h"
#include "memhost/csv_reader.h"

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

inline host::HostRef<memhost::MemoryDataSet> waybill_lines(const std::string& rows) {
  return memhost::read_csv(std::string(kWaybillLineColumns) + rows, "lines.csv");
}

}  // namespace pharmex::testing
