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
  const char* what = "";
  TableSpec spec = {};
  const char* layout = "";              // "" to have it recognised
  std::vector<std::string> memos = {};  // texts of a dBase IV memo file, blocks 1, 2, ...
  std::optional<Patch> table_patch = {};
  std::optional<Patch> memo_patch = {};
  bool memo_file = true;                // write the memo file when the table has memo fields
  size_t cut = 0;                       // cut the table to this many bytes
  std::optional<uint64_t> offset = {};  // where the finding is
  const char* problem = "";             // part of its text
  bool in_memo_file = false;            // the finding names the memo file
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
        TableCase{.what = "duplicate_names",
                  .spec = table({n("ID", 5, 0), c("id", 5)}, {}),
                  .offset = 64,
                  .problem = "field 1 has the same name"},
        TableCase{.what = "lower_case_name",
                  .spec = table({n("id", 11, 0), c("NAME", 60)}, {}),
                  .layout = "supplier",
                  .offset = 32,
                  .problem = "the field name is not in upper case"},
        TableCase{.what = "unknown_type",
                  .spec = table({{"X", 'Q', 5, 0}}, {}),
                  .offset = 43,
                  .problem = "type 'Q' is no field type the library reads"},
        TableCase{.what = "date_width",
                  .spec = table({{"DAY", 'D', 6, 0}}, {}),
                  .offset = 48,
                  .problem = "a D field of 6 bytes"},
        TableCase{.what = "nameless_field",
                  .spec = table({c("", 5)}, {}),
                  .offset = 32,
                  .problem = "field 1 has no name"},
        TableCase{.what = "name_of_11_characters",
                  .spec = table({c("ABCDEFGHIJK", 5)}, {}),
                  .offset = 42,
                  .problem = "the field name has 11 characters"},
        TableCase{.what = "name_with_a_blank",
                  .spec = table({c("A B", 5)}, {}),
                  .offset = 32,
                  .problem = "the field name holds other characters"},
        TableCase{.what = "zero_width_field",
                  .spec = table({c("X", 0)}, {}),
                  .offset = 48,
                  .problem = "the field is 0 bytes wide"},
        TableCase{.what = "number_too_narrow",
                  .spec = table({n("QTY", 3, 2)}, {}),
                  .offset = 48,
                  .problem = "cannot hold a number with 2 decimals"},
        // A fixed layout: every field in its place, of its shape, no other.
        TableCase{.what = "fixed_field_missing",
                  .spec = table(without_last(khabarovsk()), {}),
                  .layout = "price-khabarovsk",
                  .offset = 32 + 32 * 8,
                  .problem = "no field BARCODE"},
        TableCase{.what = "fixed_field_extra",
                  .spec = table(plus(khabarovsk(), c("NOTE", 5)), {}),
                  .layout = "price-khabarovsk",
                  .offset = 32 + 32 * 9,
                  .problem = "the field is not in the layout"},
        TableCase{.what = "fixed_fields_in_another_order",
                  .spec = table(swapped(khabarovsk(), 0, 1), {}),
                  .layout = "price-khabarovsk",
                  .offset = 32,
                  .problem = "the field is field 1"},
        TableCase{.what = "fixed_field_width",
                  .spec = table(with(khabarovsk(), 4, n("CENA", 10, 2)), {}),
                  .offset = 32 + 32 * 4 + 16,
                  .problem = "the field is N(10,2)"},
        TableCase{.what = "fixed_field_decimals",
                  .spec = table(with(khabarovsk(), 4, n("CENA", 9, 3)), {}),
                  .offset = 32 + 32 * 4 + 17,
                  .problem = "the field is N(9,3)"},
        // A generic layout: fields of its columns, of the shapes host columns get.
        TableCase{.what = "generic_shape",
                  .spec = table({n("ID", 12, 0), c("NAME", 60)}, {}),
                  .layout = "supplier",
                  .offset = 43,
                  .problem = "which no host column becomes"},
        TableCase{.what = "generic_foreign_column",
                  .spec = table({n("ID", 11, 0), c("INN", 12)}, {}),
                  .layout = "supplier",
                  .offset = 64,
                  .problem = "the field is no column of the supplier table"},
        TableCase{.what = "generic_no_column_at_all",
                  .spec = table({c("FOO", 5)}, {}),
                  .layout = "supplier",
                  .offset = 32,
                  .problem = "none of the fields is a column of the supplier table"},
        // An order file: what its import reads.
        TableCase{.what = "order_file_without_quantity",
                  .spec = table({c("CODEPST", 12)}, {}),
                  .layout = "import-unico",
                  .offset = 32,
                  .problem = "no field QNT: the import reads it"},
        TableCase{.what = "order_file_text_quantity",
                  .spec = table({c("CODEPST", 12), c("QNT", 5)}, {}),
                  .layout = "import-unico",
                  .offset = 64 + 11,
                  .problem = "the quantity is C(5)"},
        // Cells.
        TableCase{.what = "logical_byte",
                  .spec = table({{"OK", 'L', 1, 0}}, {"X"}),
                  .offset = 66,
                  .problem = "\"X\" is no logical value"},
        TableCase{.what = "number_with_exponent",
                  .spec = table(khabarovsk(), {khabarovsk_record()}),
                  .table_patch = Patch{321 + 169, "  1.55E+1"},
                  .offset = 321 + 169 + 2,
                  .problem = "is written with an exponent"},
        TableCase{.what = "number_no_number",
                  .spec = table(khabarovsk(), {khabarovsk_record()}),
                  .table_patch = Patch{321 + 169, "      abc"},
                  .offset = 321 + 169 + 6,
                  .problem = "is not a number"},
        TableCase{.what = "number_in_another_form",
                  .spec = table(khabarovsk(), {khabarovsk_record()}),
                  .table_patch = Patch{321 + 169, "   +15.50"},
                  .offset = 321 + 169 + 3,
                  .problem = "is written in another form"},
        TableCase{.what = "date_of_zeros",
                  .spec = table(khabarovsk(), {khabarovsk_record("00000000")}),
                  .offset = 321 + 186,
                  .problem = "reads as no date"},
        // Memo pointers and the memo file.
        TableCase{.what = "memo_pointer_beyond_the_file",
                  .spec = table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          9"}, 0x8B),
                  .memos = {"abc"},
                  .offset = 97 + 1 + 5,
                  .problem = "lies beyond the end of the memo file"},
        TableCase{.what = "memo_pointer_no_number",
                  .spec = table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test        abc"}, 0x8B),
                  .memos = {"abc"},
                  .offset = 97 + 1 + 5,
                  .problem = "is no block number"},
        TableCase{.what = "memo_block_damaged",
                  .spec = table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          1"}, 0x8B),
                  .memos = {"abc"},
                  .memo_patch = Patch{512, "XX"},
                  .offset = 512,
                  .problem = "does not start a memo",
                  .in_memo_file = true},
        TableCase{.what = "memo_past_the_end",
                  .spec = table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          1"}, 0x8B),
                  .memos = {"abc"},
                  .memo_patch = Patch{516, "\xFF\xFF\x00\x00"},
                  .offset = 512,
                  .problem = "runs past the file's end",
                  .in_memo_file = true},
        TableCase{.what = "memo_text_control",
                  .spec = table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          1"}, 0x8B),
                  .memos = {"a\x01z"},
                  .offset = 512 + 8 + 1,
                  .problem = "byte 0x01 is a control character",
                  .in_memo_file = true},
        TableCase{.what = "memo_header_damaged",
                  .spec = table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          1"}, 0x8B),
                  .memos = {"abc"},
                  .memo_patch = Patch{20, std::string(4, '\0')},
                  .offset = 0,
                  .problem = "the memo file's header is damaged",
                  .in_memo_file = true},
        TableCase{.what = "dbase3_memo_without_end_mark",
                  .spec = table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          1"}, 0x83),
                  .offset = 512,
                  .problem = "has no end mark",
                  .in_memo_file = true,
                  .raw_memo = std::string(512, '\0') + "abc"},
        TableCase{.what = "foxpro_memo_of_another_type",
                  .spec = table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          8"}, 0xF5),
                  .offset = 512,
                  .problem = "does not start a memo",
                  .in_memo_file = true,
                  .raw_memo = std::string(6, '\0') + std::string("\x00\x40", 2) +
                              std::string(504, '\0') + std::string("\0\0\0\x02\0\0\0\x03", 8) +
                              "abc",
                  .memo_name = "T.FPT"},
        TableCase{.what = "memo_file_missing",
                  .spec = table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test          1"}, 0x8B),
                  .memo_file = false,
                  .offset = std::nullopt,
                  .problem = "is missing"},
        TableCase{.what = "memo_field_in_a_table_without_memo",
                  .spec = table({c("NAME", 5), {"NOTE", 'M', 10, 0}}, {"Test           "}),
                  .offset = 0,
                  .problem = "says the table has no memo file"},
        TableCase{.what = "memo_version_without_memo_field",
                  .spec = table({c("NAME", 5)}, {"Test "}, 0x8B),
                  .memo_file = false,
                  .offset = 0,
                  .problem = "announces a memo file"},
        // The code-page mark against the text.
        TableCase{.what = "mark_1251_on_a_library_layout",
                  .spec = table({n("ID", 11, 0), c("NAME", 60)}, {}),
                  .layout = "supplier",
                  .table_patch = Patch{29, "\xC9"},
                  .offset = 29,
                  .problem = "marks code page 1251: the layout's text is code page 866"},
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
        TableCase{.what = "mark_1251_undefined_byte",
                  .spec = table({n("COD", 8, 0), c("NAIM", 20), n("QTY", 8, 0)},
                                {"     501A\x98" + std::string(18, ' ') + "       2"}),
                  .layout = "import-khabarovsk",
                  .table_patch = Patch{29, "\xC9"},
                  .offset = 129 + 1 + 8 + 1,
                  .problem = "byte 0x98 is not defined in code page 1251"},
        TableCase{.what = "order_file_flags",
                  .spec = table({n("COD", 8, 0), n("QTY", 8, 0)}, {}),
                  .layout = "import-khabarovsk",
                  .table_patch = Patch{28, "\x08"},
                  .offset = 28,
                  .problem = "bits 3 to 7 have no meaning"},
        // The end of the file.
        TableCase{.what = "no_end_mark",
                  .spec = without_end_mark(table({c("NAME", 5)}, {"Test "})),
                  .offset = 65 + 6,
                  .problem = "the file ends without the end mark"},
        TableCase{.what = "part_of_a_record",
                  .spec = table({c("NAME", 5)}, {"Test ", "Next "}),
                  .cut = 65 + 6 + 3,
                  .offset = 65 + 6,
                  .problem = "3 bytes that are no whole record"},
        TableCase{.what = "no_layout_fits",
                  .spec = table({c("FOO", 5), n("BAR", 4, 0)}, {}),
                  .offset = 32,
                  .problem = "the fields match no layout the library writes or reads"},
        TableCase{.what = "no_table_at_all",
                  .spec = table({c("NAME", 5)}, {}),
                  .table_patch = Patch{0, "id:integer,name:string(10)\n3,x\n"},
                  .cut = 31,
                  .offset = 0,
                  .problem = "the file is neither a dBase table nor a waybill text file"},
        TableCase{.what = "shorter_than_a_header",
                  .spec = table({c("NAME", 5)}, {}),
                  .cut = 20,
                  .offset = 0,
                  .problem = "shorter than a table header"}),
    [](const ::testing::TestParamInfo<TableCase>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace pharmex::validate
