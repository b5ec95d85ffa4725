#include "validate/field_check.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "dbf/dbf_format.h"
#include "dbf/field_spec.h"
#include "platform/text_codec.h"

namespace pharmex::validate {

namespace {

namespace fmt = dbf::format;
using Place = Finding::Place;

std::string upper(std::string_view name) {
  return platform::text_codec().upper_ansi(name);
}

bool name_character(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u < 0x80 && (std::isalnum(u) || c == '_');
}

void check_name(const TableStructure& table, const Descriptor& field, const TableLayout& layout,
                Findings& findings) {
  if (field.name.empty()) {
    findings.add(Place::header, 0, "", field.at,
                 "field " + std::to_string(field.number) + " has no name",
                 "a name of 1 to 10 characters");
    return;
  }
  if (field.name.size() > fmt::kNameLength - 1) {
    findings.add(Place::header, 0, field.name, field.at + fmt::kNameLength - 1,
                 "the field name has 11 characters", "at most 10, then zero bytes");
  }
  if (!std::all_of(field.name.begin(), field.name.end(), name_character)) {
    findings.add(Place::header, 0, field.name, field.at, "the field name holds other characters",
                 "letters A-Z, digits and _");
  } else if (layout.written_by_library() && upper(field.name) != field.name) {
    findings.add(Place::header, 0, field.name, field.at, "the field name is not in upper case",
                 upper(field.name));
  }
  for (const Descriptor& other : table.fields) {
    if (other.number >= field.number) break;
    if (other.named(field.name)) {
      findings.add(Place::header, 0, field.name, field.at,
                   "field " + std::to_string(other.number) + " has the same name",
                   "field names that differ (the library refuses the table)");
      break;
    }
  }
}

// The width the table builder gives a field of the type (D 8, L 1, M, B and
// G 10); nothing for the types whose width is their own.
std::optional<uint32_t> standard_width(char type) {
  dbf::TFieldSpec spec;
  spec.type = type;
  spec.length = 0;
  const uint32_t width = spec.RecordBytes();
  return width == 0 ? std::nullopt : std::optional<uint32_t>(width);
}

void check_type(const TableStructure& table, const Descriptor& field, Findings& findings) {
  static constexpr std::string_view kRead = "CNFDLMBG";
  const bool visual_fox = table.version == fmt::kVersionVisualFox;
  if (kRead.find(field.type) == std::string_view::npos &&
      !(visual_fox && std::string_view("ITY").find(field.type) != std::string_view::npos)) {
    findings.add(Place::header, 0, field.name, field.at + fmt::kTypeOffset,
                 "type '" + std::string(1, field.type) + "' is no field type the library reads",
                 "C, N, F, D, L, M, B or G");
    return;
  }
  const std::optional<uint32_t> width = standard_width(field.type);
  if (width && !visual_fox && field.length != *width) {
    findings.add(
        Place::header, 0, field.name, field.at + fmt::kLengthOffset,
        std::string("a ") + field.type + " field of " + std::to_string(field.length) + " bytes",
        std::to_string(*width) + " bytes");
  } else if (field.length == 0) {
    findings.add(Place::header, 0, field.name, field.at + fmt::kLengthOffset,
                 "the field is 0 bytes wide", "a width of at least 1");
  } else if ((field.type == 'N' || field.type == 'F') && field.decimals > 0 &&
             field.length < field.decimals + 2) {
    findings.add(Place::header, 0, field.name, field.at + fmt::kLengthOffset,
                 describe(field.shape()) + " cannot hold a number with " +
                     std::to_string(field.decimals) + " decimals (0 is " +
                     std::to_string(field.decimals + 2) + " characters)",
                 "a width of at least " + std::to_string(field.decimals + 2));
  }
}

// The byte of the descriptor where two shapes first differ.
uint64_t shape_byte(const Descriptor& field, const FieldShape& expected) {
  if (field.type != expected.type) return field.at + fmt::kTypeOffset;
  if (field.length != expected.length) return field.at + fmt::kLengthOffset;
  return field.at + fmt::kDecimalsOffset;
}

void check_fixed(const TableStructure& table, const TableLayout& layout, Findings& findings) {
  uint32_t offset = 1;
  std::vector<std::string> expected_order;  // the layout's fields the file has, layout order
  for (size_t i = 0; i < layout.fields.size(); ++i) {
    const ExpectedField& expected = layout.fields[i];
    const std::string place =
        "field " + std::to_string(i + 1) + " at record byte " + std::to_string(offset);
    offset += expected.shape.length;
    const Descriptor* field = table.field(expected.name);
    if (field == nullptr) {
      findings.add(Place::header, 0, expected.name,
                   fmt::kHeaderSize + fmt::kDescriptorSize * std::min(i, table.fields.size()),
                   "no field " + expected.name,
                   expected.name + " " + describe(expected.shape) + ", " + place);
      continue;
    }
    expected_order.push_back(upper(field->name));
    if (field->shape() != expected.shape) {
      findings.add(Place::header, 0, field->name, shape_byte(*field, expected.shape),
                   "the field is " + describe(field->shape()), describe(expected.shape));
    }
  }
  size_t common = 0;
  for (const Descriptor& field : table.fields) {
    auto listed = std::find_if(layout.fields.begin(), layout.fields.end(),
                               [&](const ExpectedField& e) { return e.name == upper(field.name); });
    if (listed == layout.fields.end()) {
      findings.add(Place::header, 0, field.name, field.at, "the field is not in the layout",
                   "only the layout's " + std::to_string(layout.fields.size()) + " fields");
      continue;
    }
    if (common < expected_order.size() && expected_order[common++] != upper(field.name)) {
      findings.add(Place::header, 0, field.name, field.at,
                   "the field is field " + std::to_string(field.number),
                   "field " + std::to_string(listed - layout.fields.begin() + 1) +
                       ", in the layout's order");
    }
  }
}

// "C(1-254), N(6,0), ..." for the shapes of a generic layout.
std::string describe(const std::set<FieldShape>& shapes) {
  uint32_t shortest = 0, longest = 0;
  std::string others;
  for (const FieldShape& shape : shapes) {
    if (shape.type == 'C') {
      if (shortest == 0) shortest = shape.length;
      longest = shape.length;
      continue;
    }
    others += ", " + describe(shape);
  }
  return "C(" + std::to_string(shortest) + "-" + std::to_string(longest) + ")" + others;
}

std::string listed_names(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& name : names)
    out += (out.empty() ? "" : ", ") + name;
  return out;
}

void check_generic(const TableStructure& table, const TableLayout& layout, Findings& findings) {
  size_t known = 0;
  for (const Descriptor& field : table.fields) {
    if (std::find(layout.names.begin(), layout.names.end(), upper(field.name)) ==
        layout.names.end()) {
      findings.add(Place::header, 0, field.name, field.at,
                   "the field is no column of the " + layout.title,
                   "a field of its columns: " + listed_names(layout.names));
      continue;
    }
    ++known;
    if (!layout.shapes.contains(field.shape())) {
      findings.add(Place::header, 0, field.name, field.at + fmt::kTypeOffset,
                   "the field is " + describe(field.shape()) + ", which no host column becomes",
                   describe(layout.shapes));
    }
  }
  if (known == 0) {
    findings.add(Place::header, 0, "", fmt::kHeaderSize,
                 "none of the fields is a column of the " + layout.title,
                 "fields of its columns: " + listed_names(layout.names));
  }
}

void check_order_file(const TableStructure& table, const TableLayout& layout, Findings& findings) {
  for (const ExpectedField& expected : layout.fields) {
    if (table.field(expected.name) == nullptr) {
      findings.add(Place::header, 0, expected.name, fmt::kHeaderSize,
                   "no field " + expected.name + ": the import reads it",
                   "a field " + expected.name);
    }
  }
  const Descriptor* quantity = table.field(layout.order.quantity_field);
  if (quantity != nullptr && quantity->type != 'N' && quantity->type != 'F') {
    findings.add(Place::header, 0, quantity->name, quantity->at + fmt::kTypeOffset,
                 "the quantity is " + describe(quantity->shape()),
                 "a number field (N or F): the import adds it to the order's quantity");
  }
}

}  // namespace

void check_fields(const TableStructure& table, const TableLayout& layout, Findings& findings) {
  for (const Descriptor& field : table.fields) {
    check_name(table, field, layout, findings);
    check_type(table, field, findings);
  }
  switch (layout.form) {
    case TableForm::fixed:
      check_fixed(table, layout, findings);
      break;
    case TableForm::generic:
      check_generic(table, layout, findings);
      break;
    case TableForm::order_file:
      check_order_file(table, layout, findings);
      break;
  }
}

}  // namespace pharmex::validate
