#include "validate/code_page_mark.h"

#include <string>

#include "dbf/dbf_format.h"
#include "platform/code_page.h"
#include "platform/text_codec.h"
#include "validate/shown_bytes.h"

namespace pharmex::validate {

namespace {

namespace fmt = dbf::format;

// The code pages of the language drivers dBase, FoxPro and their
// successors write; 0 for a byte that is none of them.
int marked_page(uint8_t mark) {
  switch (mark) {
    case 0x01:
      return 437;
    case 0x02:
      return 850;
    case 0x03:
    case 0x57:
      return 1252;
    case 0x26:
    case 0x65:
      return 866;
    case 0x64:
      return 852;
    case 0x66:
      return 865;
    case 0x67:
      return 861;
    case 0x6A:
      return 737;
    case 0x6B:
      return 857;
    case 0x7D:
      return 1255;
    case 0x7E:
      return 1256;
    case 0xC8:
      return 1250;
    case 0xC9:
      return 1251;
    case 0xCA:
      return 1254;
    case 0xCB:
      return 1253;
    default:
      return 0;
  }
}

std::string expected_marks(int page) {
  if (page == 866) return "0 (no mark), 0x26 or 0x65 (code page 866)";
  return "0 (no mark)";
}

}  // namespace

int check_code_page_mark(uint8_t mark, const TableLayout& layout, Findings& findings) {
  const int oem = platform::text_codec().oem().number();
  const int declared = fmt::LanguageDriverCodePage(mark);
  const int page =
      declared != 0 && declared != oem && platform::CodePage::find(declared) ? declared : oem;
  if (mark == 0) return page;
  const int named = marked_page(mark);
  const std::string what = "byte 29 (" + hex_byte(mark) + ")";
  if (named == 0) {
    findings.add(Finding::Place::header, 0, "", fmt::kLanguageDriverOffset,
                 what + " is no language driver", expected_marks(oem));
  } else if (named != page) {
    findings.add(Finding::Place::header, 0, "", fmt::kLanguageDriverOffset,
                 what + " marks code page " + std::to_string(named) +
                     ", but the library reads the text as code page " + std::to_string(page),
                 expected_marks(oem));
  } else if (page != oem && layout.written_by_library()) {
    findings.add(Finding::Place::header, 0, "", fmt::kLanguageDriverOffset,
                 what + " marks code page " + std::to_string(page) +
                     ": the layout's text is code page " + std::to_string(oem),
                 expected_marks(oem));
  }
  return page;
}

}  // namespace pharmex::validate
