// The five document kinds of the dialog entry points, with their texts, file
// types (each with its short name and routine), remembered folders and
// proposed names. Each call builds the kind afresh, so its texts follow the
// ANSI code page in use.
#pragma once

#include "app/document_kind.h"

namespace pharmex::app {

DocumentKind supplier_kind();      // supplier_export
DocumentKind price_kind();         // price_export, price_export_to_file
DocumentKind order_kind();         // order_export
DocumentKind waybill_kind();       // waybill_export, waybill_export_ToPath
DocumentKind order_import_kind();  // order_import, order_import_from_file

}  // namespace pharmex::app
