// Tables built byte by byte, each with one defect, and the finding validate
// must name for it at its byte: the field descriptors against each kind of
// layout, the cells of the types the order files do not have (logicals,
// memos), the memo file, the code-page mark against the text, and the file's
// end. (The damaged order files of the reliability suite,
// tests/reliability/bad_input_test.cc, cover each header field and the
// cells of an order file.)
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "dbf/dbf_test_util.h"
#include "dbf/memo4_file.h"
#include "testing/test_support.h"
#include "validate/validate_support.h"

namespace pharmex::validate {
namespace {

using dbf::testing::FieldSpec;
using dbf::testing::MakeTable;
using dbf::testing::TableSpec;
using pharmex::testing::read_file;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;

// Bytes written over a file at an offset.
struct Patch {
  size_t offset = 0;
  std::string bytes;
};

struct TableCase {
  const char* what;
  TableSpec spec;
  const char* layout;              // "" to have it recognised
  std::vector<std::string> memos;  // texts of a dBase IV memo file, blocks 1, 2, ...
  std::optional<Patch> table_patch;
  std::optional<Patch> memo_patch;
  bool memo_file = true;           // write the memo file when the table has memo fields
  size_t cut = 0;                  // cut the table to this many bytes
  std::optional<uint64_t> offset;  // where the finding is
  const char* problem;             // part of its text
  bool in_memo_file = false;       // the finding names the memo file
  // The memo file's bytes, as another flavour's writer left them ("": the
  // dBase IV memo file of `memos`), and its name.
  std::string raw_memo = {};
  const char* memo_name = "T.DBT";
};

void PrintTo(const TableCase& c, std::ostream* out) {
  *out << c.what;
}

FieldSpec c(const char* name, int length) {
  return {name, 'C', length, 0};
}
FieldSpec n(const char* name, int length, int decimals) {
  return {name, 'N', length, decimals};
}
FieldSpec d(const char* name) {
  return {name, 'D', 8, 0};
}

// The Khabarovsk price table: 9 fields, 215-byte records, header 321 bytes.
std::vector<FieldSpec> khabarovsk() {
  return {n("COD", 8, 0), c("NAIM", 96), c("STRANA", 17), c("PROD", 47),   n("CENA", 9, 2),
          n("OST", 8, 0), d("SG"),       d("PRIHOD"),     c("BARCODE", 13)};
}

// One Khabarovsk record: code 501, a name, price 15.50, pack 10, dates.
std::string khabarovsk_record(const std::string& expiry = "20290115") {
  std::string r = "     501";
  r += std::string("Test") + std::string(92, ' ');
  r += std::string(17, ' ') + std::string(47, ' ');
  r += "    15.50" + std::string("      10") + expiry + "20260115" + std::string(13, ' ');
  return r;
}

TableSpec table(std::vector<FieldSpec> fields, std::vector<std::string> records,
                uint8_t version = 0x03) {
  TableSpec spec;
  spec.version = version;
  spec.fields = std::move(fields);
  spec.records = std::move(records);
  return spec;
}

TableSpec without_end_mark(TableSpec spec) {
  spec.end_mark = false;
  return spec;
}

std::vector<FieldSpec> swapped(std::vector<FieldSpec> fields, size_t a, size_t b) {
  std::swap(fields[a], fields[b]);
  return fields;
}

std::vector<FieldSpec> with(std::vector<FieldSpec> fields, size_t at, FieldSpec field) {
  fields[at] = std::move(field);
  return fields;
}

std::vector<FieldSpec> without_last(std::vector<FieldSpec> fields) {
  fields.pop_back();
  return fields;
}

std::vector<FieldSpec> plus(std::vector<FieldSpec> fields, FieldSpec field) {
  fields.push_back(std::move(field));
  return fields;
}

class TableDamageTest : public ::testing::TestWithParam<TableCase> {
 protected:
  TempDir dir_;
};

TEST_P(TableDamageTest, NamesTheDefectAtItsByte) {
  const TableCase& test = GetParam();
  const std::string path = dir_.file("T.DBF");
  std::string bytes = MakeTable(test.spec);
  if (test.table_patch)
    bytes.replace(test.table_patch->offset, test.table_patch->bytes.size(),
                  test.table_patch->bytes);
  if (test.cut > 0) bytes.resize(test.cut);
  write_file(path, bytes);
  const std::string memo_path = dir_.file(test.memo_name);
  const bool memo = (test.spec.version == 0x8B && test.memo_file) || !test.raw_memo.empty();
  if (!test.raw_memo.empty()) {
    write_file(memo_path, test.raw_memo);
  } else if (memo) {
    write_file(memo_path, dbf::TMemo4File::InitialHeader("T"));
    dbf::TMemo4File file(memo_path, false, true, platform::posix_file_system());
    file.OpenMemo();
    for (const std::string& text : test.memos)
      file.WriteMemo(0, text);
  }
  if (test.memo_patch) {
    std::string memo_bytes = read_file(memo_path);
    memo_bytes.replace(test.memo_patch->offset, test.memo_patch->bytes.size(),
                       test.memo_patch->bytes);
    write_file(memo_path, memo_bytes);
  }
  const std::string memo_before = memo ? read_file(memo_path) : "";

  const ValidationReport report = testing::validate(path, test.layout);
  const Finding* finding = testing::finding_at(report, test.offset, test.problem);
  ASSERT_NE(finding, nullptr) << "no \"" << test.problem << "\" at "
                              << (test.offset ? std::to_string(*test.offset) : "any byte") << ":\n"
                              << testing::listed(report);
  EXPECT_EQ(finding->file, test.in_memo_file ? memo_path : path);
  EXPECT_EQ(read_file(path), bytes) << "validate changed the table";
  if (memo) {
    EXPECT_EQ(read_file(memo_path), memo_before) << "validate changed the memo file";
  }
}

// Header length 32 x n + 33; record 1 right after it, its first field at +1.
INSTANTIATE_TEST_SUITE_P(
    Tables, TableDamageTest,
    ::testing::Values(
        // Descriptors, whatever the layout.
        TableCase{"duplicate_names",
                  table({n("ID", 5, 0), c("id", 5)}, {}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  64,
                  "field 1 has the same name"},
        TableCase{"lower_case_name",
                  table({n("id", 11, 0), c("NAME", 60)}, {}),
                  "supplier",
                  {},
                  {},
                  {},
                  true,
                  0,
                  32,
                  "the field name is not in upper case"},
        TableCase{"unknown_type",
                  table({{"X", 'Q', 5, 0}}, {}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  43,
                  "type 'Q' is no field type the library reads"},
        TableCase{"date_width",
                  table({{"DAY", 'D', 6, 0}}, {}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  48,
                  "a D field of 6 bytes"},
        TableCase{"nameless_field",
                  table({c("", 5)}, {}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  32,
                  "field 1 has no name"},
        TableCase{"name_of_11_characters",
                  table({c("ABCDEFGHIJK", 5)}, {}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  42,
                  "the field name has 11 characters"},
        TableCase{"name_with_a_blank",
                  table({c("A B", 5)}, {}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  32,
                  "the field name holds other characters"},
        TableCase{"zero_width_field",
                  table({c("X", 0)}, {}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  48,
                  "the field is 0 bytes wide"},
        TableCase{"number_too_narrow",
                  table({n("QTY", 3, 2)}, {}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  48,
                  "cannot hold a number with 2 decimals"},
        // A fixed layout: every field in its place, of its shape, no other.
        TableCase{"fixed_field_missing",
                  table(without_last(khabarovsk()), {}),
                  "price-khabarovsk",
                  {},
                  {},
                  {},
                  true,
                  0,
                  32 + 32 * 8,
                  "no field BARCODE"},
        TableCase{"fixed_field_extra",
                  table(plus(khabarovsk(), c("NOTE", 5)), {}),
                  "price-khabarovsk",
                  {},
                  {},
                  {},
                  true,
                  0,
                  32 + 32 * 9,
                  "the field is not in the layout"},
        TableCase{"fixed_fields_in_another_order",
                  table(swapped(khabarovsk(), 0, 1), {}),
                  "price-khabarovsk",
                  {},
                  {},
                  {},
                  true,
                  0,
                  32,
                  "the field is field 1"},
        TableCase{"fixed_field_width",
                  table(with(khabarovsk(), 4, n("CENA", 10, 2)), {}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  32 + 32 * 4 + 16,
                  "the field is N(10,2)"},
        TableCase{"fixed_field_decimals",
                  table(with(khabarovsk(), 4, n("CENA", 9, 3)), {}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  32 + 32 * 4 + 17,
                  "the field is N(9,3)"},
        // A generic layout: fields of its columns, of the shapes host columns get.
        TableCase{"generic_shape",
                  table({n("ID", 12, 0), c("NAME", 60)}, {}),
                  "supplier",
                  {},
                  {},
                  {},
                  true,
                  0,
                  43,
                  "which no host column becomes"},
        TableCase{"generic_foreign_column",
                  table({n("ID", 11, 0), c("INN", 12)}, {}),
                  "supplier",
                  {},
                  {},
                  {},
                  true,
                  0,
                  64,
                  "the field is no column of the supplier table"},
        TableCase{"generic_no_column_at_all",
                  table({c("FOO", 5)}, {}),
                  "supplier",
                  {},
                  {},
                  {},
                  true,
                  0,
                  32,
                  "none of the fields is a column of the supplier table"},
        // An order file: what its import reads.
        TableCase{"order_file_without_quantity",
                  table({c("CODEPST", 12)}, {}),
                  "import-unico",
                  {},
                  {},
                  {},
                  true,
                  0,
                  32,
                  "no field QNT: the import reads it"},
        TableCase{"order_file_text_quantity",
                  table({c("CODEPST", 12), c("QNT", 5)}, {}),
                  "import-unico",
                  {},
                  {},
                  {},
                  true,
                  0,
                  64 + 11,
                  "the quantity is C(5)"},
        // Cells.
        TableCase{"logical_byte",
                  table({{"OK", 'L', 1, 0}}, {"X"}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  66,
                  "\"X\" is no logical value"},
        TableCase{"number_with_exponent",
                  table(khabarovsk(), {khabarovsk_record()}),
                  "",
                  {},
                  Patch{321 + 169, "  1.55E+1"},
                  {},
                  true,
                  0,
                  321 + 169 + 2,
                  "is written with an exponent"},
        TableCase{"number_no_number",
                  table(khabarovsk(), {khabarovsk_record()}),
                  "",
                  {},
                  Patch{321 + 169, "      abc"},
                  {},
                  true,
                  0,
                  321 + 169 + 6,
                  "is not a number"},
        TableCase{"number_in_another_form",
                  table(khabarovsk(), {khabarovsk_record()}),
                  "",
                  {},
                  Patch{321 + 169, "   +15.50"},
                  {},
                  true,
                  0,
                  321 + 169 + 3,
                  "is written in another form"},
        TableCase{"date_of_zeros",
                  table(khabarovsk(), {khabarovsk_record("00000000")}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  321 + 186,
                  "reads as no date"},
        // Memo pointers and the memo file.
        TableCase{"memo_pointer_beyond_the_file",
                  table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          9"}, 0x8B),
                  "",
                  {"abc"},
                  {},
                  {},
                  true,
                  0,
                  97 + 1 + 5,
                  "lies beyond the end of the memo file"},
        TableCase{"memo_pointer_no_number",
                  table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test        abc"}, 0x8B),
                  "",
                  {"abc"},
                  {},
                  {},
                  true,
                  0,
                  97 + 1 + 5,
                  "is no block number"},
        TableCase{"memo_block_damaged",
                  table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          1"}, 0x8B),
                  "",
                  {"abc"},
                  {},
                  Patch{512, "XX"},
                  true,
                  0,
                  512,
                  "does not start a memo",
                  true},
        TableCase{"memo_past_the_end",
                  table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          1"}, 0x8B),
                  "",
                  {"abc"},
                  {},
                  Patch{516, "\xFF\xFF\x00\x00"},
                  true,
                  0,
                  512,
                  "runs past the file's end",
                  true},
        TableCase{"memo_text_control",
                  table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          1"}, 0x8B),
                  "",
                  {"a\x01z"},
                  {},
                  {},
                  true,
                  0,
                  512 + 8 + 1,
                  "byte 0x01 is a control character",
                  true},
        TableCase{"memo_header_damaged",
                  table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          1"}, 0x8B),
                  "",
                  {"abc"},
                  {},
                  Patch{20, std::string(4, '\0')},
                  true,
                  0,
                  0,
                  "the memo file's header is damaged",
                  true},
        TableCase{"dbase3_memo_without_end_mark",
                  table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          1"}, 0x83),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  512,
                  "has no end mark",
                  true,
                  std::string(512, '\0') + "abc"},
        TableCase{"foxpro_memo_of_another_type",
                  table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          8"}, 0xF5),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  512,
                  "does not start a memo",
                  true,
                  std::string(6, '\0') + std::string("\x00\x40", 2) + std::string(504, '\0') +
                      std::string("\0\0\0\x02\0\0\0\x03", 8) + "abc",
                  "T.FPT"},
        TableCase{"memo_file_missing",
                  table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          1"}, 0x8B),
                  "",
                  {},
                  {},
                  {},
                  false,
                  0,
                  std::nullopt,
                  "is missing"},
        TableCase{"memo_field_in_a_table_without_memo",
                  table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test           "}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  0,
                  "says the table has no memo file"},
        TableCase{"memo_version_without_memo_field",
                  table({c("NAME", 5)}, {"Test "}, 0x8B),
                  "",
                  {},
                  {},
                  {},
                  false,
                  0,
                  0,
                  "announces a memo file"},
        // The code-page mark against the text.
        TableCase{"mark_1251_on_a_library_layout",
                  table({n("ID", 11, 0), c("NAME", 60)}, {}),
                  "supplier",
                  {},
                  Patch{29, "\xC9"},
                  {},
                  true,
                  0,
                  29,
                  "marks code page 1251: the layout's text is code page 866"},
        TableCase{
            "mark_1251_text_in_866",
            table({n("COD", 8, 0), c("NAIM", 20), n("QTY", 8, 0)},
                  {"     501\x80\xE1\xAF\xA8\xE0\xA8\xAD" + std::string(13, ' ') + "       2"}),
            "import-khabarovsk",
            {},
            Patch{29, "\xC9"},
            {},
            true,
            0,
            129 + 1 + 8,
            "the text looks like code page 866"},
        TableCase{"mark_1251_undefined_byte",
                  table({n("COD", 8, 0), c("NAIM", 20), n("QTY", 8, 0)},
                        {"     501A\x98" + std::string(18, ' ') + "       2"}),
                  "import-khabarovsk",
                  {},
                  Patch{29, "\xC9"},
                  {},
                  true,
                  0,
                  129 + 1 + 8 + 1,
                  "byte 0x98 is not defined in code page 1251"},
        TableCase{"order_file_flags",
                  table({n("COD", 8, 0), n("QTY", 8, 0)}, {}),
                  "import-khabarovsk",
                  {},
                  Patch{28, "\x08"},
                  {},
                  true,
                  0,
                  28,
                  "bits 3 to 7 have no meaning"},
        // The end of the file.
        TableCase{"no_end_mark",
                  without_end_mark(table({c("NAME", 5)}, {"Test "})),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  65 + 6,
                  "the file ends without the end mark"},
        TableCase{"part_of_a_record",
                  table({c("NAME", 5)}, {"Test ", "Next "}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  65 + 6 + 3,
                  65 + 6,
                  "3 bytes that are no whole record"},
        TableCase{"no_layout_fits",
                  table({c("FOO", 5), n("BAR", 4, 0)}, {}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  0,
                  32,
                  "the fields match no layout the library writes or reads"},
        TableCase{"no_table_at_all",
                  table({c("NAME", 5)}, {}),
                  "",
                  {},
                  Patch{0, "id:integer,name:string(10)\n3,x\n"},
                  {},
                  true,
                  31,
                  0,
                  "the file is neither a dBase table nor a waybill text file"},
        TableCase{"shorter_than_a_header",
                  table({c("NAME", 5)}, {}),
                  "",
                  {},
                  {},
                  {},
                  true,
                  20,
                  0,
                  "shorter than a table header"}),
    [](const ::testing::TestParamInfo<TableCase>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace pharmex::validate
