// A waybill text file (E-Farma SST, Apteka 2000W) against its layout: the
// lines (validate/text_lines.h), the sections in order ("[Header]" first,
// one header record, "[Body]", the body records), each record's fields
// (validate/text_record_check.h) and the sums line against the records.
#pragma once

#include <string_view>

#include "core/regional_settings.h"
#include "validate/finding.h"
#include "validate/table_layout.h"

namespace pharmex::validate {

// `settings` give the short date pattern the header's date is written in.
void check_text_file(std::string_view bytes, const TextLayout& layout,
                     const RegionalSettings& settings, Findings& findings);

// The name of the text layout a file's records point to: the header's rate
// field, else the body records' field count, else the file's extension;
// `reason` says which. Nothing when the file is no waybill text file (no
// "[Header]" line).
const TextLayout* recognise_text(std::string_view bytes, std::string_view path,
                                 std::string& reason);

}  // namespace pharmex::validate
