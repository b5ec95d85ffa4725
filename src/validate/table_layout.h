// What validate checks a file against: the table layouts (every table the
// library writes, and the order files its import reads) and the two waybill
// text layouts. The catalogue (validate/layout_catalogue.h) builds them from
// the library's own definitions: the fixed layouts' field tables, the generic
// layouts' column lists with the field-name and field-type rules, the order
// layouts of the import and the text layouts' record descriptions.
#pragma once

#include <compare>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "export/waybill_text.h"
#include "import/order_layout.h"

namespace pharmex::validate {

// A field as a table stores it: type letter, width and decimals.
struct FieldShape {
  char type = 'C';
  uint32_t length = 0;
  uint32_t decimals = 0;

  auto operator<=>(const FieldShape&) const = default;
};

// "C(96)", "N(9,2)", "N(8,0)", "D", "L", "M".
std::string describe(const FieldShape& shape);

struct ExpectedField {
  std::string name;  // as stored: upper case, at most 10 characters
  FieldShape shape;
};

enum class TableForm {
  // Fields follow the host's columns: each named by the field-name rule from
  // a column of the layout's list, shaped by the field-type rule.
  generic,
  // A partner's fixed fields, in this order and no others.
  fixed,
  // An order file the import reads: the fields it reads must be there (the
  // quantity a number); other fields are the partner's business.
  order_file,
};

struct TableLayout {
  std::string name;   // as --layout names it: "price-khabarovsk"
  std::string title;  // "Khabarovsk price table"
  TableForm form = TableForm::fixed;
  // fixed: every field in table order; order_file: the fields the import
  // reads (supplier when the layout has one, article, quantity), shapes not
  // used.
  std::vector<ExpectedField> fields;
  // generic: the stored names the listed columns get, and the shapes the
  // field-type rule gives.
  std::vector<std::string> names;
  std::set<FieldShape> shapes;
  // order_file: the import's layout.
  importing::OrderLayout order;

  // The library writes tables of this layout (dBase IV, no code-page mark).
  bool written_by_library() const { return form != TableForm::order_file; }
};

struct TextLayout {
  std::string name;   // "waybill-efarma-sst"
  std::string title;  // "E-Farma SST waybill text file"
  const exporting::WaybillTextLayout* parts = nullptr;
  std::vector<exporting::TextBodyField> body;  // the body record's fields
  std::string extension;                       // ".SST"
};

}  // namespace pharmex::validate
