#include "dbf/field_spec.h"

#include <cctype>
#include <set>

#include "platform/text_codec.h"

namespace pharmex::dbf {

namespace {

constexpr size_t kStoredNameLength = 10;
constexpr uint32_t kMaxRecordLength = 65535;
// 32 * fields + 33 must fit the header's 16-bit length.
constexpr size_t kMaxFields = 2046;
constexpr int32_t kMaxByte = 255;

// Blanks, an optional sign, digits, and nothing after them.
std::optional<int32_t> ParseInteger(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ')
    ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > 999999999) return std::nullopt;  // far beyond any field
  }
  return static_cast<int32_t>(negative ? -value : value);
}

std::string_view StripTrailing(std::string_view line) {
  while (!line.empty() && (line.back() == ' ' || line.back() == ';'))
    line.remove_suffix(1);
  return line;
}

bool DecimalsStored(char type) {
  switch (type) {
    case 'C':
    case 'D':
    case 'L':
    case 'M':
    case 'B':
    case 'G':
      return false;
    default:
      return true;
  }
}

bool Acceptable(const TFieldSpec& spec) {
  const char type = spec.StoredType();
  if (spec.length < 0 || spec.decimals < 0) return false;
  if (type != 'C' && spec.length > kMaxByte) return false;
  return !DecimalsStored(type) || spec.decimals <= kMaxByte;
}

}  // namespace

std::optional<TFieldSpec> TFieldSpec::Parse(std::string_view line) {
  line = StripTrailing(line);
  const size_t name_end = line.find(';');
  if (name_end == std::string_view::npos) return std::nullopt;
  TFieldSpec spec;
  spec.name = line.substr(0, name_end);
  std::string_view rest = line.substr(name_end + 1);
  if (rest.size() < 2 || rest[1] != ';' || !std::isalpha(static_cast<unsigned char>(rest[0])))
    return std::nullopt;
  spec.type = rest[0];
  rest.remove_prefix(2);
  const size_t length_end = rest.find(';');
  if (length_end == std::string_view::npos) return std::nullopt;
  std::optional<int32_t> length = ParseInteger(rest.substr(0, length_end));
  std::optional<int32_t> decimals = ParseInteger(rest.substr(length_end + 1, 3));
  if (!length || !decimals) return std::nullopt;
  spec.length = *length;
  spec.decimals = *decimals;
  return spec;
}

std::string TFieldSpec::StoredName() const {
  return platform::text_codec().upper_ansi(name).substr(0, kStoredNameLength);
}

char TFieldSpec::StoredType() const {
  return static_cast<char>(std::toupper(static_cast<unsigned char>(type)));
}

bool TFieldSpec::IsMemo() const {
  const char stored = StoredType();
  return stored == 'M' || stored == 'B' || stored == 'G';
}

uint32_t TFieldSpec::RecordBytes() const {
  switch (StoredType()) {
    case 'D':
      return 8;
    case 'L':
      return 1;
    case 'M':
    case 'B':
    case 'G':
      return 10;
    default:
      return static_cast<uint32_t>(length);
  }
}

uint32_t TFieldSpec::StoredDecimals() const {
  return DecimalsStored(StoredType()) ? static_cast<uint32_t>(decimals) : 0;
}

std::optional<std::vector<TFieldSpec>> ParseFieldList(const std::vector<std::string>& lines) {
  if (lines.empty()) return std::nullopt;
  std::vector<TFieldSpec> specs;
  specs.reserve(lines.size());
  std::set<std::string> names;
  uint64_t record_length = 1;  // the deletion flag
  size_t fields = 0;
  for (const std::string& line : lines) {
    std::optional<TFieldSpec> spec = TFieldSpec::Parse(line);
    if (!spec || !Acceptable(*spec)) return std::nullopt;
    // Two names that the descriptor cannot tell apart would make a table
    // that cannot be opened.
    if (!names.insert(spec->StoredName()).second) return std::nullopt;
    if (!spec->name.empty()) {  // a nameless line adds no field
      record_length += spec->RecordBytes();
      ++fields;
    }
    specs.push_back(std::move(*spec));
  }
  if (record_length > kMaxRecordLength || fields > kMaxFields) return std::nullopt;
  return specs;
}

}  // namespace pharmex::dbf
