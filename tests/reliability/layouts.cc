#include "reliability/layouts.h"

#include <algorithm>
#include <cctype>

#include "export/generic_waybill_table.h"
#include "export/khabarovsk_price_table.h"
#include "export/order_export.h"
#include "export/price_export.h"
#include "export/supplier_export.h"
#include "export/unico_price_table.h"
#include "export/waybill_export.h"
#include "import/order_reader.h"
#include "memhost/csv_reader.h"
#include "platform/paths.h"
#include "platform/staged_files.h"
#include "testing/test_support.h"

namespace pharmex::reliability {

namespace {

host::HostRef<IDataSet> csv(const std::string& text, const char* name) {
  return memhost::read_csv(text, name);
}

std::string example_text(const char* name) {
  return pharmex::testing::read_file(example_path(name));
}

host::HostRef<IDataSet> example_csv(const char* name) {
  return csv(example_text(name), name);
}

// `text` with the first `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

void waybill_data(host::RunContext& context) {
  context.set_datasets(nullptr, example_csv("waybill_headers.csv"),
                       example_csv("waybill_lines.csv"));
}

// The example waybill with a description too long for a character field:
// the generic table keeps it in a memo.
void waybill_memo_data(host::RunContext& context) {
  std::string headers = replaced(example_text("waybill_headers.csv"), "orderdescr:string(100)",
                                 "orderdescr:string(300)");
  headers = replaced(headers, ",Возврат", ",\"" + std::string(270, '#') + " Возврат\"");
  context.set_datasets(nullptr, csv(headers, "waybill_headers.csv"),
                       example_csv("waybill_lines.csv"));
}

void supplier_data(host::RunContext& context) {
  context.set_datasets(nullptr, example_csv("suppliers.csv"), nullptr);
}

void order_export_data(host::RunContext& context) {
  context.set_datasets(nullptr, example_csv("order_headers.csv"), example_csv("order_lines.csv"));
}

void price_data(host::RunContext& context) {
  context.set_datasets(nullptr, example_csv("price_list.csv"), nullptr);
}

// The example price list with article names long enough for a memo.
void price_memo_data(host::RunContext& context) {
  const std::string prices =
      replaced(example_text("price_list.csv"), "art_name:string(120)", "art_name:string(400)");
  context.set_datasets(nullptr, csv(prices, "price_list.csv"), nullptr);
}

void order_data(host::RunContext& context) {
  context.set_datasets(example_csv("order_prices.csv"), memhost::MemoryDataSet::create({}),
                       example_csv("current_order_lines.csv"));
}

}  // namespace

std::string example_path(const std::string& name) {
  return std::string(PHARMEX_SOURCE_DIR) + "/examples/" + name;
}

const std::vector<Layout>& all_layouts() {
  using K = LayoutKind;
  static const std::vector<Layout> layouts = {
      {"Suppliers", K::kTable, exporting::supplier_routine, "supplier.dbf", "supplier_export_path",
       "", supplier_data},
      {"Orders", K::kTable, exporting::order_routine, "order.dbf", "order_export_path", "",
       order_export_data},
      {"Prices", K::kTable, exporting::generic_price_routine, "price.dbf", "price_export_path", "",
       price_memo_data},
      {"Khabarovsk prices", K::kTable, exporting::khabarovsk_price_routine, "price.dbf", "", "",
       price_data},
      {"Unico prices", K::kTable, exporting::unico_price_routine, "price.dbf", "price_export_path",
       "", price_data},
      {"Waybill", K::kTable, exporting::generic_waybill_routine, "waybill.dbf",
       "waybill_export_path", "", waybill_memo_data},
      {"E-Farma SST", K::kText, exporting::efarma_sst_routine, "waybill.SST", "waybill_export_path",
       "", waybill_data},
      {"Apteka 2000W", K::kText, exporting::apteka_2000w_routine, "waybill.txt",
       "waybill_export_path", "", waybill_data},
      {"GornyVershini", K::kTable, exporting::generic_waybill_routine, "waybill.dbf",
       "waybill_export_path", "", waybill_data},
      {"Djinal", K::kTable, exporting::djinal_routine, "waybill.dbf", "", "", waybill_data},
      {"Apteka M", K::kTable, exporting::apteka_m_routine, "waybill.dbf", "", "", waybill_data},
      {"DBF 4 import", K::kReader, importing::dbf4_order_reader, "order.dbf", "order_import_path",
       "order_dbf4.dbf", order_data},
      {"Khabarovsk import", K::kReader, importing::khabarovsk_order_reader, "order.dbf", "",
       "order_khabarovsk.dbf", order_data},
      {"Unico import", K::kReader, importing::unico_order_reader, "order.dbf", "order_import_path",
       "order_unico.dbf", order_data},
  };
  return layouts;
}

std::string memo_target(const std::string& target) {
  return platform::change_file_ext(target, ".dbt");
}

std::string shown_path(const std::string& path, const std::string& target) {
  const std::string_view name = platform::extract_file_name(path);
  if (platform::StagedFiles::id_of(name).empty()) return path;
  return name.ends_with(".memo") ? memo_target(target) : target;
}

bool staged_files_among(const std::vector<std::string>& names) {
  return std::any_of(names.begin(), names.end(), [](const std::string& name) {
    return !platform::StagedFiles::id_of(name).empty() || name == ".~pharmex.folder";
  });
}

std::vector<Layout> table_layouts() {
  std::vector<Layout> tables;
  for (const Layout& layout : all_layouts()) {
    if (layout.kind == LayoutKind::kTable) tables.push_back(layout);
  }
  return tables;
}

std::string test_name(std::string_view name) {
  std::string out;
  for (char c : name)
    out.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
  return out;
}

}  // namespace pharmex::reliability
