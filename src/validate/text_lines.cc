#include "validate/text_lines.h"

#include <optional>
#include <string>

namespace pharmex::validate {

namespace {

using Place = Finding::Place;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The length of the UTF-8 sequence at `at` (2 to 4), or 0 when none starts
// there.
size_t utf8_sequence(std::string_view bytes, size_t at) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  const size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                        : lead >= 0xE0 && lead <= 0xEF ? 3
                        : lead >= 0xC2 && lead <= 0xDF ? 2
                                                       : 0;
  if (length == 0 || at + length > bytes.size()) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(bytes[at + i]) & 0xC0) != 0x80) return 0;
  }
  return length;
}

// True when every byte above 0x7F belongs to a UTF-8 sequence and there is
// at least one: a 1251 text is almost never that.
bool is_utf8(std::string_view bytes) {
  bool any = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) continue;
    const size_t length = utf8_sequence(bytes, i);
    if (length == 0) return false;
    any = true;
    i += length - 1;
  }
  return any;
}

}  // namespace

std::vector<TextLine> split_text_lines(std::string_view bytes, const TextPage& page,
                                       Findings& findings) {
  size_t start = 0;
  if (bytes.starts_with(kByteOrderMark)) {
    findings.add(Place::line, 1, "", 0, "the file starts with a UTF-8 byte-order mark",
                 "Windows-1251 text without a byte-order mark");
    start = kByteOrderMark.size();
  }
  const bool utf8 = is_utf8(bytes.substr(start));
  if (utf8) {
    findings.add(Place::file, 0, "", std::nullopt, "the file is UTF-8 text", "Windows-1251 text");
  }
  std::vector<TextLine> lines;
  int64_t number = 0;
  while (start < bytes.size()) {
    ++number;
    const size_t lf = bytes.find('\n', start);
    const size_t end = lf == std::string_view::npos ? bytes.size() : lf;
    std::string_view text = bytes.substr(start, end - start);
    if (lf == std::string_view::npos) {
      findings.add(Place::line, number, "", end, "the last line has no line break", "CR LF");
    } else if (!text.ends_with('\r')) {
      findings.add(Place::line, number, "", end, "the line ends with LF alone", "CR LF");
    } else {
      text.remove_suffix(1);
    }
    if (text.empty()) {
      findings.add(Place::line, number, "", start, "the line is empty", "no empty lines");
    } else {
      if (!utf8) {
        if (std::optional<TextPage::Problem> problem = page.first_problem(text)) {
          findings.add(Place::line, number, "", start + problem->index, problem->problem,
                       problem->expected);
        }
      }
      lines.push_back({number, start, text});
    }
    start = end + 1;
  }
  return lines;
}

std::vector<std::string_view> split_fields(std::string_view record) {
  std::vector<std::string_view> fields;
  while (!record.empty()) {
    const size_t end = record.find(';');
    fields.push_back(record.substr(0, end));
    if (end == std::string_view::npos) break;
    record.remove_prefix(end + 1);
  }
  return fields;
}

}  // namespace pharmex::validate
