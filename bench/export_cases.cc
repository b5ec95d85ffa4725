// The export cases: every layout through its entry point, with synthetic host
// data. Layouts with a dialog-less entry point (the generic price table, the
// waybill layouts) use it; the others answer the file dialog of the headless
// toolkit as a user would.
#include <memory>

#include "bench_case.h"
#include "bench_data.h"
#include "pharmex/pharmex.h"

namespace pharmex::bench {

namespace {

using Data = std::shared_ptr<SyntheticRef>;

Data data(SyntheticTable table) {
  return std::make_shared<SyntheticRef>(make_synthetic(std::move(table)));
}

PreparedCase table_output(std::function<void()> run, const std::string& path) {
  return {std::move(run), [path] { return table_records(path); }};
}

PreparedCase supplier_case(const CaseSettings& s, SyntheticTable table, const char* file) {
  Data suppliers = data(std::move(table));
  const std::string path = s.folder + file;
  return table_output(
      [suppliers, path] {
        supplier_export(kHostWindow, suppliers->get(), on_progress, on_start, on_finish);
        answer_dialog(path, 0);
      },
      path);
}

PreparedCase supplier(const CaseSettings& s) {
  return supplier_case(s, supplier_table(s.rows), "supplier.dbf");
}

PreparedCase supplier_memo(const CaseSettings& s) {
  return supplier_case(s, supplier_memo_table(s.rows), "supplier_memo.dbf");
}

PreparedCase order(const CaseSettings& s) {
  Data headers = data(order_header_table(s.rows));
  Data lines = data(order_line_table(s.rows));
  const std::string path = s.folder + "order.dbf";
  return table_output(
      [headers, lines, path] {
        order_export(kHostWindow, headers->get(), lines->get(), on_progress, on_start, on_finish);
        answer_dialog(path, 0);
      },
      path);
}

PreparedCase price_generic(const CaseSettings& s) {
  Data prices = data(price_table(s.rows));
  const std::string path = s.folder + "price.dbf";
  return table_output(
      [prices, path] {
        price_export_to_file(prices->get(), path.c_str());
        check_library_error("price_export_to_file");
      },
      path);
}

PreparedCase price_dialog_case(const CaseSettings& s, int file_type, const char* file) {
  Data prices = data(price_table(s.rows));
  const std::string path = s.folder + file;
  return table_output(
      [prices, path, file_type] {
        price_export(kHostWindow, prices->get(), on_progress, on_start, on_finish);
        answer_dialog(path, file_type);
      },
      path);
}

PreparedCase khabarovsk(const CaseSettings& s) {
  return price_dialog_case(s, 1, "khabarovsk.dbf");
}

PreparedCase unico(const CaseSettings& s) {
  return price_dialog_case(s, 2, "unico.dbf");
}

// waybill_export_ToPath names the file after the first header's number.
PreparedCase waybill_case(const CaseSettings& s, int file_type, const char* extension) {
  Data headers = data(waybill_header_table(s.rows));
  Data lines = data(waybill_line_table(s.rows));
  const std::string folder = s.folder;
  const std::string path = folder + "waybill_" + first_waybill_number() + extension;
  const bool text = std::string_view(extension) != ".dbf";
  return {[headers, lines, folder, file_type] {
            waybill_export_ToPath(kHostWindow, headers->get(), lines->get(), on_progress, on_start,
                                  on_finish, folder.c_str(), file_type);
            check_library_error("waybill_export_ToPath");
          },
          [path, text] {
            // A text file: "[Header]", the header record, "[Body]", the lines.
            return text ? text_lines(path) - 3 : table_records(path);
          }};
}

PreparedCase waybill_generic(const CaseSettings& s) {
  return waybill_case(s, 0, ".dbf");
}

PreparedCase efarma_sst(const CaseSettings& s) {
  return waybill_case(s, 1, ".SST");
}

PreparedCase apteka_2000w(const CaseSettings& s) {
  return waybill_case(s, 2, ".txt");
}

PreparedCase djinal(const CaseSettings& s) {
  return waybill_case(s, 4, ".dbf");
}

PreparedCase apteka_m(const CaseSettings& s) {
  return waybill_case(s, 5, ".dbf");
}

}  // namespace

std::vector<BenchCase> export_cases() {
  return {{"supplier", supplier},
          {"supplier-memo", supplier_memo},
          {"order", order},
          {"price-generic", price_generic},
          {"khabarovsk", khabarovsk},
          {"unico", unico},
          {"waybill-generic", waybill_generic},
          {"efarma-sst", efarma_sst},
          {"apteka2000w", apteka_2000w},
          {"djinal", djinal},
          {"apteka-m", apteka_m}};
}

}  // namespace pharmex::bench
