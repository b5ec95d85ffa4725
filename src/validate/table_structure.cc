#include "validate/table_structure.h"

#include "core/date_time.h"
#include "dbf/dbf_format.h"
#include "platform/text_codec.h"
#include "validate/code_page_mark.h"
#include "validate/shown_bytes.h"

namespace pharmex::validate {

namespace fmt = dbf::format;

namespace {

using Place = Finding::Place;

constexpr size_t kMaxFields = 2046;

uint8_t u8(const std::string& bytes, size_t at) {
  return static_cast<uint8_t>(bytes[at]);
}

bool memo_version(uint8_t version) {
  return version == fmt::kVersionDb3Memo || version == fmt::kVersionDb4Memo ||
         version == fmt::kVersionFoxMemo;
}

// A descriptor's bytes as writers leave them: a name of letters, digits or
// "_" from its first byte, a type letter.
bool looks_like_descriptor(const std::string& d) {
  const auto first = static_cast<unsigned char>(d[0]);
  const auto type = static_cast<unsigned char>(d[fmt::kTypeOffset]);
  return (std::isalnum(first) || first == '_') && std::isalpha(type);
}

struct DescriptorEnd {
  size_t count = 0;
  std::optional<uint64_t> terminator;  // where the 0x0D is
};

// Walks the descriptors from byte 32 until the 0x0D (or something that is no
// descriptor).
DescriptorEnd scan_descriptors(TableFile& file) {
  DescriptorEnd end;
  for (; end.count < kMaxFields; ++end.count) {
    const uint64_t at = fmt::kHeaderSize + fmt::kDescriptorSize * end.count;
    std::string d = file.read(at, fmt::kDescriptorSize);
    if (!d.empty() && static_cast<uint8_t>(d[0]) == fmt::kDescriptorEnd) {
      end.terminator = at;
      return end;
    }
    if (d.size() < fmt::kDescriptorSize || !looks_like_descriptor(d)) return end;
  }
  return end;
}

void check_version(uint8_t version, const TableLayout& layout, Findings& findings) {
  if (!fmt::AcceptedVersion(version)) {
    findings.add(Place::header, 0, "", 0,
                 "version byte " + hex_byte(version) + " is no dBase table the library reads",
                 "0x03 (no memo) or 0x8B (dBase IV with memo)");
  } else if (layout.written_by_library() && version != fmt::kVersionPlain &&
             version != fmt::kVersionDb4Memo) {
    findings.add(Place::header, 0, "", 0,
                 "version byte " + hex_byte(version) + " is no dBase IV table",
                 "0x03 (no memo) or 0x8B (dBase IV with memo), as the library writes");
  }
}

void check_date(const std::string& header, Findings& findings) {
  const int year = u8(header, fmt::kDateOffset);
  const int month = u8(header, fmt::kDateOffset + 1);
  const int day = u8(header, fmt::kDateOffset + 2);
  if (encode_date(2000 + year, month, day) || encode_date(1900 + year, month, day)) return;
  findings.add(Place::header, 0, "", fmt::kDateOffset,
               "the last update, year " + std::to_string(year) + " month " + std::to_string(month) +
                   " day " + std::to_string(day) + ", is no date",
               "year modulo 100, month 1-12, day of the month");
}

void check_flags(const std::string& header, const TableLayout& layout, Findings& findings) {
  if (header[fmt::kEncryptedOffset] != 0) {
    findings.add(Place::header, 0, "", fmt::kEncryptedOffset,
                 "byte 15 marks the table encrypted; the library cannot open it", "0");
  }
  const uint8_t flags = u8(header, fmt::kFlagsOffset);
  if (layout.written_by_library() && flags != 0) {
    findings.add(Place::header, 0, "", fmt::kFlagsOffset,
                 "byte 28 is " + hex_byte(flags) + " (bit 0 announces an index file)",
                 "0, as the library writes");
  } else if ((flags & ~fmt::kKeptFlags) != 0) {
    findings.add(Place::header, 0, "", fmt::kFlagsOffset,
                 "byte 28 is " + hex_byte(flags) + ": bits 3 to 7 have no meaning",
                 "bits 3-7 clear");
  }
}

// The descriptor count the header length gives, when it is a header length
// at all.
std::optional<size_t> count_from_length(uint32_t length, uint32_t trailer, uint64_t size) {
  const uint32_t smallest = fmt::kMinHeaderLength + trailer;
  if (length < smallest || length > size || (length - smallest) % fmt::kDescriptorSize != 0)
    return std::nullopt;
  return (length - smallest) / fmt::kDescriptorSize;
}

// How many descriptors there are, with findings where the header length and
// the 0x0D disagree. Nothing when neither tells.
std::optional<size_t> descriptor_count(TableFile& file, uint32_t stored, uint32_t trailer,
                                       Findings& findings) {
  const std::optional<size_t> by_length = count_from_length(stored, trailer, file.size());
  const uint64_t terminator_at =
      by_length ? fmt::kHeaderSize + fmt::kDescriptorSize * *by_length : 0;
  if (by_length && file.byte_at(terminator_at) == fmt::kDescriptorEnd) return by_length;
  const DescriptorEnd scanned = scan_descriptors(file);
  if (scanned.terminator) {
    const uint64_t expected = *scanned.terminator + 1 + trailer;
    findings.add(
        Place::header, 0, "", fmt::kHeaderLengthOffset, "header length " + std::to_string(stored),
        std::to_string(expected) + ": the 0x0D after the " + std::to_string(scanned.count) +
            " field descriptors is byte " + std::to_string(*scanned.terminator));
    return scanned.count;
  }
  if (!by_length) {
    findings.add(
        Place::header, 0, "", fmt::kHeaderLengthOffset,
        "header length " + std::to_string(stored) + ", and no 0x0D ends the field descriptors",
        "32 x fields + 33, the 0x0D at 32 x fields + 32");
    return std::nullopt;
  }
  std::optional<unsigned char> found = file.byte_at(terminator_at);
  findings.add(Place::header, 0, "", terminator_at,
               "byte " + std::to_string(terminator_at) + " is " + hex_byte(found.value_or(0)),
               "0x0D, the end of the field descriptors");
  return by_length;
}

Descriptor read_descriptor(TableFile& file, int number, uint32_t offset) {
  Descriptor d;
  d.number = number;
  d.at = fmt::kHeaderSize + fmt::kDescriptorSize * static_cast<uint64_t>(number - 1);
  const std::string bytes = file.read(d.at, fmt::kDescriptorSize);
  d.name = bytes.substr(0, std::min(bytes.find('\0'), fmt::kNameLength));
  d.type = bytes[fmt::kTypeOffset];
  d.length = u8(bytes, fmt::kLengthOffset);
  d.decimals = u8(bytes, fmt::kDecimalsOffset);
  if (d.type == 'C') {
    d.length += d.decimals * 256;
    d.decimals = 0;
  }
  d.offset = offset;
  return d;
}

// True when whole records of `length` bytes (and the end mark) fill the file
// after its header.
bool records_fit(uint64_t size, uint32_t header_length, uint32_t length) {
  if (length == 0 || size < header_length) return false;
  const uint64_t rest = (size - header_length) % length;
  return rest == 0 || rest == 1;
}

// The record length the records are read with: the fields' widths, unless
// the stored length is what the file's size bears out and the widths are
// not (then a descriptor's width is what is wrong).
void check_record_length(uint64_t size, uint32_t stored, TableStructure& table,
                         Findings& findings) {
  const uint32_t widths = table.record_length;
  if (stored == widths) return;
  if (records_fit(size, table.header_length, stored) &&
      !records_fit(size, table.header_length, widths)) {
    table.record_length = stored;
    table.fields_fit = false;
    findings.add(Place::header, 0, "", fmt::kRecordLengthOffset,
                 "record length " + std::to_string(stored) + ", but the fields' widths add up to " +
                     std::to_string(widths),
                 std::to_string(stored) + " = 1 + the widths: a field's width is wrong");
    return;
  }
  findings.add(Place::header, 0, "", fmt::kRecordLengthOffset,
               "record length " + std::to_string(stored),
               std::to_string(widths) + ", 1 + the widths of the fields");
}

void check_records_and_end(TableFile& file, TableStructure& table, uint32_t stored_count,
                           Findings& findings) {
  if (file.size() < table.header_length) {
    findings.add(Place::header, 0, "", file.size(),
                 "the file ends at byte " + std::to_string(file.size()) + ", inside its header",
                 "a header of " + std::to_string(table.header_length) + " bytes");
    return;
  }
  const uint64_t data = file.size() - table.header_length;
  table.record_count = data / table.record_length;
  const uint64_t rest = data % table.record_length;
  const uint64_t end = table.header_length + table.record_count * table.record_length;
  if (rest == 0) {
    findings.add(Place::file, 0, "", end,
                 "the file ends without the end mark after its last record", "0x1A");
  } else if (rest > 1) {
    findings.add(Place::file, 0, "", end,
                 "the file ends with " + std::to_string(rest) + " bytes that are no whole record",
                 "records of " + std::to_string(table.record_length) + " bytes, then 0x1A");
  } else if (std::optional<unsigned char> mark = file.byte_at(end); mark != fmt::kEndOfFile) {
    findings.add(Place::file, 0, "", end, "the byte after the last record is " + hex_byte(*mark),
                 "0x1A, the end mark");
  }
  if (stored_count != table.record_count) {
    findings.add(Place::header, 0, "", fmt::kRecordCountOffset,
                 "the header counts " + std::to_string(stored_count) + " records",
                 std::to_string(table.record_count) + ", the whole records the file holds");
  }
}

// The version byte says whether the table has a memo file; its fields say
// whether it needs one.
void check_memo_version(const TableStructure& table, Findings& findings) {
  if (table.version == fmt::kVersionVisualFox || !fmt::AcceptedVersion(table.version)) return;
  const Descriptor* memo = nullptr;
  for (const Descriptor& field : table.fields) {
    if (field.is_memo() && memo == nullptr) memo = &field;
  }
  if (memo != nullptr && !memo_version(table.version)) {
    findings.add(Place::header, 0, "", fmt::kVersionOffset,
                 "version byte " + hex_byte(table.version) +
                     " says the table has no memo file, but field " + memo->name +
                     " is a memo field (" + std::string(1, memo->type) + ")",
                 "0x8B, a dBase IV table with memo");
  } else if (memo == nullptr && memo_version(table.version)) {
    findings.add(Place::header, 0, "", fmt::kVersionOffset,
                 "version byte " + hex_byte(table.version) +
                     " announces a memo file, but no field keeps its text there",
                 "0x03, a table without memo");
  }
}

}  // namespace

bool Descriptor::named(std::string_view other) const {
  const platform::TextCodec& codec = platform::text_codec();
  return codec.upper_ansi(name) == codec.upper_ansi(other);
}

const Descriptor* TableStructure::field(std::string_view name) const {
  for (const Descriptor& candidate : fields) {
    if (candidate.named(name)) return &candidate;
  }
  return nullptr;
}

bool TableStructure::has_memo_fields() const {
  for (const Descriptor& field : fields) {
    if (field.is_memo()) return true;
  }
  return false;
}

std::optional<TableStructure> check_structure(TableFile& file, const TableLayout& layout,
                                              Findings& findings) {
  const std::string header = file.read(0, fmt::kHeaderSize);
  if (header.size() < fmt::kHeaderSize) {
    findings.add(
        Place::file, 0, "", 0,
        "the file is " + std::to_string(header.size()) + " bytes long, shorter than a table header",
        "a 32-byte header, the field descriptors and 0x0D");
    return std::nullopt;
  }
  TableStructure table;
  table.version = u8(header, fmt::kVersionOffset);
  check_version(table.version, layout, findings);
  check_date(header, findings);
  check_flags(header, layout, findings);
  const uint32_t trailer = table.version == fmt::kVersionVisualFox ? fmt::kVisualFoxTrailer : 0;
  const uint32_t stored_length = fmt::DecodeFixed16(&header[fmt::kHeaderLengthOffset]);
  std::optional<size_t> count = descriptor_count(file, stored_length, trailer, findings);
  if (!count) return std::nullopt;
  uint32_t offset = 1;
  for (size_t i = 0; i < *count; ++i) {
    table.fields.push_back(read_descriptor(file, static_cast<int>(i + 1), offset));
    offset += table.fields.back().length;
  }
  table.header_length =
      static_cast<uint32_t>(fmt::kMinHeaderLength + trailer + fmt::kDescriptorSize * *count);
  table.record_length = offset;
  check_record_length(file.size(), fmt::DecodeFixed16(&header[fmt::kRecordLengthOffset]), table,
                      findings);
  check_records_and_end(file, table, fmt::DecodeFixed32(&header[fmt::kRecordCountOffset]),
                        findings);
  table.text_code_page =
      check_code_page_mark(u8(header, fmt::kLanguageDriverOffset), layout, findings);
  check_memo_version(table, findings);
  return table;
}

}  // namespace pharmex::validate
