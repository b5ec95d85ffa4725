#include "app/document_kinds.h"

#include <string_view>

#include "export/generic_waybill_table.h"
#include "export/khabarovsk_price_table.h"
#include "export/order_export.h"
#include "export/price_export.h"
#include "export/supplier_export.h"
#include "export/unico_price_table.h"
#include "export/waybill_export.h"
#include "import/order_reader.h"
#include "platform/text_codec.h"

namespace pharmex::app {

namespace {

// The kinds' texts are written here in UTF-8; the dialog shows them in ANSI.
std::string ansi(std::string_view utf8) {
  return platform::text_codec().utf8_to_ansi(utf8);
}

constexpr std::string_view kDbf4 = "DBF 4 (dBaseIV)(*.dbf)|*.dbf";

DocumentKind save_as() {
  DocumentKind kind;
  kind.title = "Save As";
  kind.confirm_caption = "&Save";
  return kind;
}

}  // namespace

DocumentKind supplier_kind() {
  DocumentKind kind = save_as();
  kind.file_types = {{std::string(kDbf4), "dbf4", exporting::supplier_routine}};
  kind.folder_value = "supplier_export_path";
  kind.proposed_name = {"supplier", "", true};
  return kind;
}

DocumentKind price_kind() {
  DocumentKind kind = save_as();
  kind.file_types = {
      {std::string(kDbf4), "dbf4", exporting::generic_price_routine},
      {ansi("Хабаровск (dBaseIV)(*.dbf)|*.dbf"), "khabarovsk", exporting::khabarovsk_price_routine},
      {ansi("Юнико (dBaseIV)(*.dbf)|*.dbf"), "unico", exporting::unico_price_routine}};
  kind.folder_value = "price_export_path";
  kind.proposed_name = {"price", "", true};
  return kind;
}

DocumentKind order_kind() {
  DocumentKind kind = save_as();
  kind.file_types = {{std::string(kDbf4), "dbf4", exporting::order_routine}};
  kind.folder_value = "order_export_path";
  kind.proposed_name = {"order", "order_", true};
  kind.stores_folder_before_run = true;
  return kind;
}

DocumentKind waybill_kind() {
  DocumentKind kind = save_as();
  kind.file_types = {
      {std::string(kDbf4), "dbf4", exporting::generic_waybill_routine},
      {ansi("Е-Фарма(SST)(*.SST)|*.SST"), "efarma-sst", exporting::efarma_sst_routine},
      {ansi("Аптека 2000W|*.txt"), "apteka2000w", exporting::apteka_2000w_routine},
      {"GornyVershini|*.dbf", "gornyvershini", exporting::generic_waybill_routine},
      {"Djinal|*.dbf", "djinal", exporting::djinal_routine},
      {"Apteka M|*.dbf", "apteka-m", exporting::apteka_m_routine}};
  kind.folder_value = "waybill_export_path";
  kind.proposed_name = {"waybill", "waybill_", false};
  return kind;
}

DocumentKind order_import_kind() {
  DocumentKind kind;
  kind.title = "Open";
  kind.confirm_caption = "&Open";
  kind.file_types = {
      {ansi("DBF 4 импорт (dBaseIV)(*.dbf)|*.dbf"), "dbf4", importing::dbf4_order_reader},
      {ansi("Хабаровск импорт (dBaseIV)(*.dbf)|*.dbf"), "khabarovsk",
       importing::khabarovsk_order_reader},
      {ansi("Юнико импорт (dBaseIV)(*.dbf)|*.dbf"), "unico", importing::unico_order_reader}};
  kind.folder_value = "order_import_path";
  return kind;
}

}  // namespace pharmex::app
