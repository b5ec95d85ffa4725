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
  const platform::TextCodec& codec = platform::text_codec();
  Findings ignored(std::string{});
  const std::vector<TextLine> lines =
      split_text_lines(bytes, TextPage(codec.ansi(), nullptr), ignored);
  if (lines.size() > 1) {
    const std::vector<std::string_view> header = split_fields(lines[1].text);
    const size_t rate = exporting::kTextHeaderFields.size() - 1;
    for (const TextLayout& layout : texts) {
      if (header.size() > rate && header[rate] == layout.parts->rate) {
        reason = "its header record's rate is \"" + std::string(layout.parts->rate) + "\"";
        return &layout;
      }
    }
  }
  for (size_t i = 3; i < lines.size(); ++i) {
    const size_t count = split_fields(lines[i].text).size();
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
