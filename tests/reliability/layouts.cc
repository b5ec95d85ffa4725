#include "reliability/layouts.h"

#include <cctype>

#include "export/waybill_export.h"
#include "import/order_reader.h"
#include "memhost/csv_reader.h"
#include "testing/test_support.h"

namespace pharmex::reliability {

namespace {

host::HostRef<IDataSet> example_csv(const char* name) {
  return memhost::read_csv(pharmex::testing::read_file(example_path(name)), name);
}

void waybill_data(host::TShellOpenSaveForm& form) {
  form.set_datasets(nullptr, example_csv("waybill_headers.csv"), example_csv("waybill_lines.csv"));
}

void order_data(host::TShellOpenSaveForm& form) {
  form.set_datasets(example_csv("order_prices.csv"), memhost::MemoryDataSet::create({}),
                    example_csv("order_lines.csv"));
}

}  // namespace

std::string example_path(const std::string& name) {
  return std::string(PHARMEX_SOURCE_DIR) + "/examples/" + name;
}

const std::vector<Layout>& all_layouts() {
  using K = LayoutKind;
  static const std::vector<Layout> layouts = {
      {"E-Farma SST", K::kText, exporting::efarma_sst_routine, "waybill.SST", "waybill_export_path",
       "", waybill_data},
      {"Apteka 2000W", K::kText, exporting::apteka_2000w_routine, "waybill.txt",
       "waybill_export_path", "", waybill_data},
      {"Djinal", K::kTable, exporting::djinal_routine, "waybill.dbf", "", "", waybill_data},
      {"Apteka M", K::kTable, exporting::apteka_m_routine, "waybill.dbf", "", "", waybill_data},
      {"DBF 4 import", K::kReader, importing::dbf4_order_reader, "order.dbf", "order_import_path",
       "order_dbf4.dbf", order_data},
      {"Khabarovsk import", K::kReader, importing::khabarovsk_order_reader, "order.dbf",
       "order_import_path", "order_khabarovsk.dbf", order_data},
      {"Unico import", K::kReader, importing::unico_order_reader, "order.dbf", "order_import_path",
       "order_unico.dbf", order_data},
  };
  return layouts;
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
