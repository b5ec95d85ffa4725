// What the two waybill text layouts share: the frame of the file ("[Header]",
// the header record, "[Body]", then one body record per line that passes the
// waybill line filter), the sums their header records carry, the header
// record itself (they differ in two fields and the last) and the body record,
// whose fields are alike but for the parts each layout declares.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/variant.h"
#include "export/atomic_text_file.h"
#include "export/waybill_lines.h"
#include "host/host_field.h"

namespace pharmex::exporting {

// The lines-dataset columns the text layouts read, looked up once per run.
struct WaybillTextColumns {
  explicit WaybillTextColumns(const WaybillLines& waybill);

  // The column of that name (one of those below).
  const host::HostField& named(std::string_view column) const;

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

// How a body field is written from the line's columns; each field is
// followed by ";".
enum class TextBody : unsigned char {
  empty,                  // nothing
  zero,                   // "0"
  whole_number,           // the column converted to a whole number, decimal digits
  upper_text,             // the column converted to text, upper-cased by the locale's rules
  appended,               // the column appended by the variant rule for text (null fails)
  optional,               // the same, empty when the column is null
  text_or_empty,          // the column converted to text (a number as its text); empty when null
  date_or_empty,          // "dd.mm.yyyy"; empty when null or Empty
  price,                  // "price" rounded to four decimals, written with four
  net_price,              // "price" / (1 + "nds" / 100), the same way
  net_price_at_10_or_18,  // the net price of a 10 or 18 per cent line; empty for others
};

// The fields of the header record, in order; both layouts write these.
enum class TextHeader : unsigned char {
  number,      // "native_id" as a number in general form
  short_date,  // "date", date part, with the short date pattern
  total,       // the total, with four decimals
  delivery,    // kDeliveryText
  vat10,       // the layout's vat_field of the total and the 10 per cent VAT
  vat18,       // the same for the 18 per cent VAT
  currency,    // kCurrencyText
  rate,        // the layout's rate
};
inline constexpr std::array<TextHeader, 8> kTextHeaderFields = {
    TextHeader::number, TextHeader::short_date, TextHeader::total,    TextHeader::delivery,
    TextHeader::vat10,  TextHeader::vat18,      TextHeader::currency, TextHeader::rate};
inline constexpr std::u16string_view kDeliveryText = u"ПОСТАВКА";
inline constexpr std::u16string_view kCurrencyText = u"РУБЛЬ";
// The lines that open the two sections.
inline constexpr std::string_view kHeaderSection = "[Header]";
inline constexpr std::string_view kBodySection = "[Body]";

// A layout's own parts of the two records. The body record is alike in both
// layouts but for these:
//
//   "art_id" as a whole number; "art_name" as `name`; "maker" appended;
//   "country" optional; "qty" as a whole number; the price; the `amounts`;
//   "gtd" optional; "sertname" as `certificate`; "serial" optional;
//   "dateworkfirst" and "dateworklast" as dates; "ean13" optional; the
//   `closing` fields.
struct WaybillTextLayout {
  // Header fields 5 and 6, from the total and the VAT of the 10 (then the
  // 18) per cent lines.
  std::string (*vat_field)(double total, double vat);
  // Header field 8, the exchange rate as the partner spells it.
  std::string_view rate;
  TextBody name;
  std::span<const TextBody> amounts;
  TextBody certificate;
  std::span<const TextBody> closing;
};

// One field of a body record: how it is written, and the lines column it is
// written from ("" for the kinds that read none, and for the prices, which
// read "price" and "nds" themselves).
struct TextBodyField {
  TextBody kind;
  std::string_view column = {};
};

// A layout's body fields, in the record's order: the fields both layouts
// write alike, with the layout's own parts between them.
std::vector<TextBodyField> body_fields(const WaybillTextLayout& layout);

// Writes the whole file of a layout. The header record describes the header
// dataset's current row as it is when the export starts: its "native_id" as a
// number in general form, its "date" with the short date pattern, the total
// with four decimals, "ПОСТАВКА", the two VAT fields, "РУБЛЬ" and the rate.
// Host values are read and written with text_layout_settings(`settings`).
void write_waybill_text(WaybillLines& waybill, AtomicTextFile& file,
                        const WaybillTextLayout& layout, const RegionalSettings& settings);

// The regional settings of a text layout: the run's, with "." as decimal
// separator, so that numbers read from strings and written the same way.
RegionalSettings text_layout_settings(const RegionalSettings& settings);

}  // namespace pharmex::exporting
