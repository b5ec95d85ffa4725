#include "validate/text_file_check.h"

#include <vector>

#include "export/waybill_text.h"
#include "platform/paths.h"
#include "platform/text_codec.h"
#include "validate/layout_catalogue.h"
#include "validate/text_lines.h"
#include "validate/text_record_check.h"

namespace pharmex::validate {

namespace {

using exporting::kBodySection;
using exporting::kHeaderSection;
using Place = Finding::Place;

constexpr std::string_view kOrder = "[Header], one header record, [Body], the body records";

bool is_section(std::string_view text) {
  return text.starts_with('[') && text.ends_with(']');
}

std::vector<std::string_view> record_fields(std::string_view text) {
  std::vector<std::string_view> fields;
  while (!text.empty()) {
    const size_t end = text.find(';');
    fields.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return fields;
}

}  // namespace

void check_text_file(std::string_view bytes, const TextLayout& layout,
                     const RegionalSettings& settings, Findings& findings) {
  const platform::TextCodec& codec = platform::text_codec();
  const TextPage page(codec.ansi(), &codec.oem());
  const std::vector<TextLine> lines = split_text_lines(bytes, page, findings);
  TextRecordCheck records(layout, settings, findings);
  enum class Section { none, header, body } section = Section::none;
  bool header_seen = false, body_seen = false;
  size_t header_records = 0;
  for (const TextLine& line : lines) {
    auto finding = [&](std::string problem) {
      findings.add(Place::line, line.number, "", line.at, std::move(problem), std::string(kOrder));
    };
    if (line.text == kHeaderSection) {
      if (header_seen) finding("a second [Header] section");
      if (body_seen) finding("[Header] after the [Body] section");
      header_seen = true;
      section = Section::header;
    } else if (line.text == kBodySection) {
      if (!header_seen) finding("[Body] before the [Header] section");
      if (body_seen) finding("a second [Body] section");
      if (header_seen && header_records == 0) finding("the [Header] section holds no record");
      body_seen = true;
      section = Section::body;
    } else if (is_section(line.text)) {
      finding("a section the layout does not have");
    } else if (section == Section::none) {
      finding("the line comes before the [Header] section");
    } else if (section == Section::header) {
      if (header_records++ == 0) {
        records.header(line);
      } else {
        finding("a second record in the [Header] section");
      }
    } else {
      records.body(line);
    }
  }
  if (!header_seen)
    findings.add(Place::file, 0, "", std::nullopt, "no [Header] section", std::string(kOrder));
  if (!body_seen)
    findings.add(Place::file, 0, "", std::nullopt, "no [Body] section", std::string(kOrder));
  records.sums();
}

const TextLayout* recognise_text(std::string_view bytes, std::string_view path,
                                 std::string& reason) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (!bytes.starts_with(kHeaderSection)) return nullptr;
  const std::vector<TextLayout>& texts = LayoutCatalogue::instance().texts();
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < bytes.size();) {
    size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back(line);
    start = end + 1;
  }
  if (lines.size() > 1) {
    const std::vector<std::string_view> header = record_fields(lines[1]);
    const size_t rate = exporting::kTextHeaderFields.size() - 1;
    for (const TextLayout& layout : texts) {
      if (header.size() > rate && header[rate] == layout.parts->rate) {
        reason = "its header record's rate is \"" + std::string(layout.parts->rate) + "\"";
        return &layout;
      }
    }
  }
  for (size_t i = 3; i < lines.size(); ++i) {
    const size_t count = record_fields(lines[i]).size();
    for (const TextLayout& layout : texts) {
      if (count == layout.body.size()) {
        reason = "its body records have " + std::to_string(count) + " fields";
        return &layout;
      }
    }
  }
  const std::string_view extension = platform::extract_file_ext(path);
  for (const TextLayout& layout : texts) {
    if (platform::text_codec().upper_ansi(extension) ==
        platform::text_codec().upper_ansi(layout.extension)) {
      reason = "its extension is " + std::string(extension);
      return &layout;
    }
  }
  reason = "it has a [Header] section";
  return &texts.front();
}

}  // namespace pharmex::validate
