// The records of a waybill text file, field by field, as the layout writes
// them (export/waybill_text.h):
//
//   header  the waybill number in general form, the date with the short date
//           pattern of the regional settings, the total with four decimals,
//           "ПОСТАВКА", the two VAT fields (four decimals, or what the layout
//           writes for no VAT: "0" or nothing), "РУБЛЬ", the rate ("1",
//           "1.00")
//   body    whole numbers, prices with four decimals, "0" and empty fields
//           where the layout has them, dates as dd.mm.yyyy or nothing, the
//           E-Farma article name in upper case
//
// and the sums line against the records: the total is the sum of the
// records' price x quantity, and each VAT field the VAT of the records whose
// net price shows the rate (10 or 18 per cent), each within what rounding
// prices to four decimals allows. (The library's total also counts lines it
// leaves out of the body, those of price 0 or of another waybill.)
#pragma once

#include <optional>

#include "core/regional_settings.h"
#include "validate/finding.h"
#include "validate/table_layout.h"
#include "validate/text_lines.h"

namespace pharmex::validate {

class TextRecordCheck {
 public:
  TextRecordCheck(const TextLayout& layout, const RegionalSettings& settings, Findings& findings)
      : layout_(layout), settings_(settings), findings_(findings) {}

  void header(const TextLine& line);
  void body(const TextLine& line);
  // Compares the header's sums with the body records seen.
  void sums();

 private:
  struct Fields;
  Fields split(const TextLine& line, size_t expected);
  void field_finding(const TextLine& line, const Fields& fields, size_t index, std::string problem,
                     std::string expected);
  void sum(const TextLine& line, const Fields& fields);
  void compare_sum(const char* what, uint64_t at, double stated, double computed, double tolerance);

  const TextLayout& layout_;
  RegionalSettings settings_;
  Findings& findings_;
  // The header record's line and sums, once read.
  std::optional<TextLine> header_line_;
  std::optional<double> total_, vat10_, vat18_;  // the VAT as stated, whatever the field's form
  uint64_t total_at_ = 0, vat10_at_ = 0, vat18_at_ = 0;
  // The body records': price x quantity, the VAT by rate, the quantities.
  double amount_ = 0, body_vat10_ = 0, body_vat18_ = 0, quantities_ = 0;
  size_t records_ = 0;
};

}  // namespace pharmex::validate
