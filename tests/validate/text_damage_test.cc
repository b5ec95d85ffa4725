// The waybill text files the library writes (the example waybill in each
// text layout), each with one defect, and the finding validate must name for
// it: line ends, encoding, sections, field counts, numbers, dates and the
// fields each layout fixes.
#include <gtest/gtest.h>

#include <string>

#include "host/run_test_support.h"
#include "platform/text_codec.h"
#include "reliability/layouts.h"
#include "testing/test_support.h"
#include "validate/validate_support.h"

namespace pharmex::validate {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::write_file;

struct TextCase {
  const char* what;
  const char* layout;  // the library's: "E-Farma SST" or "Apteka 2000W"
  std::string from;    // UTF-8; its first occurrence in the file is replaced
  std::string to;      // UTF-8, written in code page 1251
  int64_t line;        // of the finding; 0 for the file as a whole
  const char* problem;
  bool utf8 = false;      // the whole file written as UTF-8 instead
  bool as_bytes = false;  // `to` written as it is, not in code page 1251
  bool last = false;      // the last occurrence of `from`, not the first
};

void PrintTo(const TextCase& c, std::ostream* out) {
  *out << c.what;
}

std::string ansi(const std::string& utf8) {
  return platform::text_codec().utf8_to_ansi(utf8);
}

const reliability::Layout& library_layout(const std::string& name) {
  for (const reliability::Layout& layout : reliability::all_layouts()) {
    if (layout.name == name) return layout;
  }
  throw std::logic_error("no layout " + name);
}

class TextDamageTest : public host::testing::RunTest,
                       public ::testing::WithParamInterface<TextCase> {};

TEST_P(TextDamageTest, NamesTheDefectInItsLine) {
  const TextCase& test = GetParam();
  const reliability::Layout& layout = library_layout(test.layout);
  const std::string path = root() + "/" + layout.file_name;
  {
    host::RunContext run = context();
    layout.give_data(run);
    layout.routine(run, path);
  }
  std::string bytes = read_file(path);
  const size_t at = test.last ? bytes.rfind(ansi(test.from)) : bytes.find(ansi(test.from));
  ASSERT_NE(at, std::string::npos) << "the file holds no " << test.from;
  bytes.replace(at, ansi(test.from).size(), test.as_bytes ? test.to : ansi(test.to));
  if (test.utf8) bytes = platform::text_codec().ansi_to_utf8(bytes);
  write_file(path, bytes);

  const std::string name =
      layout.name == "E-Farma SST" ? "waybill-efarma-sst" : "waybill-apteka2000w";
  const ValidationReport report = testing::validate(path, name);
  const Finding* finding = testing::finding_at(report, std::nullopt, test.problem);
  ASSERT_NE(finding, nullptr) << "no \"" << test.problem << "\":\n" << testing::listed(report);
  EXPECT_EQ(finding->number, test.line) << testing::listed(report);
  EXPECT_EQ(read_file(path), bytes) << "validate changed the file";
}

// The example waybill's E-Farma file (Apteka 2000W alike, with its own fields):
//   1 [Header]
//   2 4817;01.12.2026;4613.7500;ПОСТАВКА;313.9000;40.2750;РУБЛЬ;1;
//   3 [Body]
//   4 50211;АСПИРИН КАРДИО ТАБ. 100МГ №28;Байер;Германия;10;156.4000;0;142.1818;0;0;...
//   5 ... five body records in all
INSTANTIATE_TEST_SUITE_P(
    Texts, TextDamageTest,
    ::testing::Values(
        TextCase{"line_end_lf_alone", "E-Farma SST", ";1;\r\n", ";1;\n", 2,
                 "the line ends with LF alone"},
        TextCase{"last_line_without_line_break", "E-Farma SST", "\r\n", "", 8,
                 "the last line has no line break", false, false, true},
        TextCase{"empty_line", "E-Farma SST", "[Body]\r\n", "[Body]\r\n\r\n", 4,
                 "the line is empty"},
        TextCase{"byte_order_mark", "E-Farma SST", "[Header]", "\xEF\xBB\xBF[Header]", 1,
                 "byte-order mark", false, true},
        TextCase{"utf8", "E-Farma SST", "[Header]", "[Header]", 0, "the file is UTF-8 text", true},
        TextCase{"undefined_byte", "E-Farma SST", "Байер",
                 "\xC2\x98"
                 "айер",
                 4, "byte 0x98 is not defined in code page 1251"},
        // "Б" as code page 866 writes it (0x81) is "Ѓ" in 1251.
        TextCase{"text_in_866", "E-Farma SST", "Байер", "Ѓайер", 4,
                 "the text looks like code page 866"},
        TextCase{"control_character", "Apteka 2000W", "Байер", "Бай\ter", 4,
                 "byte 0x09 is a control character"},
        TextCase{"no_header_section", "E-Farma SST", "[Header]", "[Head]", 1,
                 "a section the layout does not have"},
        TextCase{"no_body_section", "E-Farma SST", "[Body]\r\n", "", 0, "no [Body] section"},
        TextCase{"second_header_record", "E-Farma SST", "[Body]", "1;2;\r\n[Body]", 3,
                 "a second record in the [Header] section"},
        TextCase{"field_missing", "E-Farma SST", ";0;0;10130032", ";0;10130032", 4,
                 "the record has 18 fields"},
        TextCase{"no_final_semicolon", "E-Farma SST", "РУБЛЬ;1;\r\n", "РУБЛЬ;1\r\n", 2,
                 "the record does not end with \";\""},
        TextCase{"number_not_general", "E-Farma SST", "4817;", "4817.0;", 2,
                 "is no number in general form"},
        TextCase{"header_date", "E-Farma SST", "01.12.2026", "2026-12-01", 2, "is no date"},
        TextCase{"total_decimals", "E-Farma SST", "4613.7500", "4613.75", 2, "is no total"},
        TextCase{"vat_zero_as_number", "E-Farma SST", "313.9000", "0.0000", 2,
                 "states no VAT above 0"},
        TextCase{"vat_none_spelt_otherwise", "Apteka 2000W", "4299.8500", "0", 2,
                 "is no VAT field"},
        TextCase{"delivery_word", "E-Farma SST", "ПОСТАВКА", "ВОЗВРАТ", 2, "\"ВОЗВРАТ\""},
        TextCase{"rate", "Apteka 2000W", ";1.00;", ";1;", 2, "\"1\""},
        TextCase{"name_not_upper_case", "E-Farma SST", "АСПИРИН КАРДИО", "Аспирин Кардио", 4,
                 "is not in upper case"},
        TextCase{"whole_number", "E-Farma SST", ";10;156", ";10.5;156", 4, "is no whole number"},
        TextCase{"price_decimal_comma", "E-Farma SST", "156.4000", "156,4000", 4, "is no price"},
        TextCase{"price_not_above_zero", "Apteka 2000W", "156.4000", "0.0000", 4, "is not above 0"},
        TextCase{"net_price", "Apteka 2000W", "142.1818", "142.18", 4, "is no net price"},
        TextCase{"zero_field", "E-Farma SST", ";156.4000;0;", ";156.4000;1;", 4, "\"1\""},
        TextCase{"empty_field", "Apteka 2000W", ";142.1818;;", ";142.1818;x;", 4,
                 "the field holds \"x\""},
        TextCase{"body_date", "E-Farma SST", "15.01.2026", "2026-01-15", 4, "is no date"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace pharmex::validate
