// What the import tests share: order files written with the table engine as
// the partners' dBase IV files are, the three layouts' typical fields, and
// the host's price list and order lines.
#pragma once

#include <string>
#include <vector>

#include "core/variant.h"
#include "host/host_ref.h"
#include "memhost/memory_dataset.h"

namespace pharmex::importing::testing {

// One record's values, in field order.
using Record = std::vector<Variant>;

// Writes a dBase IV table with these field specifications ("QTY;N;8;0") and
// records, replacing any file at the path.
void write_order_file(const std::string& path, const std::vector<std::string>& fields,
                      const std::vector<Record>& records);

// Marks record `number` (from 1) of a table deleted, as dBase does: "*" in
// the record's first byte.
void delete_record(const std::string& path, int number);

// Replaces the first occurrence of `from` in the file's bytes by `to` (same
// length), to damage a field's text.
void patch_file(const std::string& path, const std::string& from, const std::string& to);

// The fields of each layout as partners write them, and one record of an
// article with a quantity (the supplier only where the layout has one).
std::vector<std::string> dbf4_fields();
Record dbf4_record(int supplier, int article, double quantity);
std::vector<std::string> khabarovsk_fields();
Record khabarovsk_record(int article, double quantity);
std::vector<std::string> unico_fields();
Record unico_record(const std::string& article, double quantity);

// The price list: suppliers 3 and 4, each offering some articles.
//   3  1001  Аспирин        12.5  Байер
//   3  1002  Анальгин       7     Фармстандарт
//   4  1001  Аспирин УПСА   13.25 УПСА
//   4  2001  Бинт           30    Эвтекс
host::HostRef<memhost::MemoryDataSet> test_prices();

// Order lines with the columns of kLinesHeader and these CSV rows (after
// the header, each ending with a line break).
inline constexpr const char* kLinesHeader =
    "RecId:integer,suppliers_id:integer,art_id:integer,art_name:string(40),price:float,"
    "qty:integer,note:string(10)\n";
// Supplier 4 has ordered two "Бинт" already.
inline constexpr const char* kOrderedLine = "1,4,2001,Бинт (old),29,2,keep\n";
host::HostRef<memhost::MemoryDataSet> test_lines(const std::string& rows = kOrderedLine);

}  // namespace pharmex::importing::testing
