// What the two waybill text layouts share: the lines-dataset columns they
// read (looked up once per run), the sums their header records carry, and the
// frame of the file: "[Header]", the header record, "[Body]", then one body
// record per line that passes the waybill line filter.
#pragma once

#include <string>

#include "core/variant.h"
#include "export/atomic_text_file.h"
#include "export/text_record.h"
#include "export/waybill_lines.h"
#include "host/host_field.h"

namespace pharmex::exporting {

struct WaybillTextColumns {
  explicit WaybillTextColumns(const WaybillLines& waybill);

  host::HostField price, qty, nds, art_id, art_name, maker, country, gtd, sertname, serial,
      dateworkfirst, dateworklast, ean13;
};

// Sums over every line of the lines dataset, written or not: the total of
// "price" x "qty", and the VAT of the 10 and 18 per cent lines, each term
// "price" x ("qty" x ("nds" / 100")). Running totals are doubles; a line whose
// term is null fails the conversion ("Null" into "Double").
struct WaybillSums {
  double total = 0;
  double vat10 = 0;
  double vat18 = 0;
};

WaybillSums sum_waybill_lines(WaybillLines& waybill, const WaybillTextColumns& columns,
                              const RegionalSettings& settings);

// "price" / (1 + "nds" / 100) by the variant rules, as a double.
double net_price(const Variant& price, const Variant& nds, const RegionalSettings& settings);

// "native_id" of the header dataset's current row as a number in general
// form, and its "date" with the short date pattern: the first two fields of
// both header records.
void add_document_fields(TextRecord& record, WaybillLines& waybill,
                         const RegionalSettings& settings);

// A date column: empty when null or Empty, else "dd.mm.yyyy"; then ";".
void add_optional_date(TextRecord& record, const Variant& value, const RegionalSettings& settings);

struct WaybillTextLayout {
  // The header record, from the header dataset's current row and the sums.
  void (*header)(TextRecord& record, WaybillLines& waybill, const WaybillSums& sums,
                 const RegionalSettings& settings);
  // The body record of the lines dataset's current row.
  void (*body)(TextRecord& record, const WaybillTextColumns& columns,
               const RegionalSettings& settings);
};

// Writes the whole file of a layout.
void write_waybill_text(WaybillLines& waybill, AtomicTextFile& file,
                        const WaybillTextLayout& layout);

// The regional settings of a text layout: the user's, with "." as decimal
// separator, so that numbers read from strings and written the same way.
RegionalSettings text_layout_settings();

}  // namespace pharmex::exporting
