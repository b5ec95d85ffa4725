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
  kind.file_types = {std::string(kDbf4)};
  kind.folder_value = "supplier_export_path";
  kind.proposed_name = {"supplier", "", true};
  kind.routines = {exporting::supplier_routine};
  return kind;
}

DocumentKind price_kind() {
  DocumentKind kind = save_as();
  kind.file_types = {std::string(kDbf4), ansi("Хабаровск (dBaseIV)(*.dbf)|*.dbf"),
                     ansi("Юнико (dBaseIV)(*.dbf)|*.dbf")};
  kind.folder_value = "price_export_path";
  kind.proposed_name = {"price", "", true};
  kind.routines = {exporting::generic_price_routine, exporting::khabarovsk_price_routine,
                   exporting::unico_price_routine};
  return kind;
}

DocumentKind order_kind() {
  DocumentKind kind = save_as();
  kind.file_types = {std::string(kDbf4)};
  kind.folder_value = "order_export_path";
  kind.proposed_name = {"order", "order_", true};
  kind.stores_folder_before_run = true;
  kind.routines = {exporting::order_routine};
  return kind;
}

DocumentKind waybill_kind() {
  DocumentKind kind = save_as();
  kind.file_types = {std::string(kDbf4),
                     ansi("Е-Фарма(SST)(*.SST)|*.SST"),
                     ansi("Аптека 2000W|*.txt"),
                     "GornyVershini|*.dbf",
                     "Djinal|*.dbf",
                     "Apteka M|*.dbf"};
  kind.folder_value = "waybill_export_path";
  kind.proposed_name = {"waybill", "waybill_", false};
  kind.routines = {exporting::generic_waybill_routine, exporting::efarma_sst_routine,
                   exporting::apteka_2000w_routine,    exporting::generic_waybill_routine,
                   exporting::djinal_routine,          exporting::apteka_m_routine};
  return kind;
}

DocumentKind order_import_kind() {
  DocumentKind kind;
  kind.title = "Open";
  kind.confirm_caption = "&Open";
  kind.file_types = {ansi("DBF 4 импорт (dBaseIV)(*.dbf)|*.dbf"),
                     ansi("Хабаровск импорт (dBaseIV)(*.dbf)|*.dbf"),
                     ansi("Юнико импорт (dBaseIV)(*.dbf)|*.dbf")};
  kind.folder_value = "order_import_path";
  kind.routines = {importing::dbf4_order_reader, importing::khabarovsk_order_reader,
                   importing::unico_order_reader};
  return kind;
}

}  // namespace pharmex::app
