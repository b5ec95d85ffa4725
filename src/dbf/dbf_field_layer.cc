#include "dbf/dbf_field_layer.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "core/date_time.h"
#include "core/error.h"
#include "core/number_format.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

namespace pharmex::dbf {

namespace {

// Significant digits a number keeps in a field.
constexpr int kSignificantDigits = 18;
// Julian day number of 1899-12-30, day 0 of our date-times (0x30 T fields
// count Julian days).
constexpr double kJulianDayOfDateZero = 2415019;
constexpr double kMillisecondsPerDay = 86400000;
// 0x30 Y fields: a 64-bit count of ten-thousandths.
constexpr double kCurrencyScale = 10000;

bool LeftJustified(char type) {
  return type == 'C' || type == 'D' || type == 'L';
}

// Width of a 0x30 binary field of this type, or 0 when the type has none.
constexpr uint32_t BinaryWidth(char type) {
  switch (type) {
    case 'B':
    case 'T':
    case 'Y':
      return 8;
    case 'I':
    case 'M':
    case 'G':
      return 4;
    default:
      return 0;
  }
}

std::string_view TrimRight(std::string_view text, char above) {
  size_t end = text.size();
  // Fields are mostly blank padding: eight blanks at a time first.
  constexpr uint64_t kEightBlanks = 0x2020202020202020ull;
  if (static_cast<unsigned char>(above) >= ' ') {
    uint64_t word = 0;
    while (end >= sizeof word) {
      std::memcpy(&word, text.data() + end - sizeof word, sizeof word);
      if (word != kEightBlanks) break;
      end -= sizeof word;
    }
  }
  while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= static_cast<unsigned char>(above))
    --end;
  return text.substr(0, end);
}

// Trailing blanks; zero bytes count as blanks too (some writers pad with them).
std::string_view TrimBlanks(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\0'))
    --end;
  return text.substr(0, end);
}

std::optional<int> DigitsValue(std::string_view text) {
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace

std::span<char> TDbfFieldLayer::FieldBytes(int field) {
  const TDbfFieldDef& def = Field(field);
  return RecordBuffer().subspan(def.offset, def.length);
}

std::string_view TDbfFieldLayer::GetFieldText(int field) const {
  const TDbfFieldDef& def = Field(field);
  return {RecordBuffer().data() + def.offset, def.length};
}

std::span<char> TDbfFieldLayer::Place(int field, std::string_view text) {
  std::span<char> bytes = FieldBytes(field);
  std::fill(bytes.begin(), bytes.end(), ' ');
  const size_t count = std::min(text.size(), bytes.size());
  const size_t start = LeftJustified(Field(field).type) ? 0 : bytes.size() - count;
  std::copy_n(text.data(), count, bytes.begin() + static_cast<ptrdiff_t>(start));
  MarkFieldChanged(field);
  return bytes.subspan(start, count);
}

void TDbfFieldLayer::PutFieldText(int field, std::string_view text) {
  Place(field, text);
}

void TDbfFieldLayer::PutString(int field, std::string_view ansi, bool transliterate) {
  std::span<char> written = Place(field, ansi);
  if (translate_ascii_ && transliterate) AnsiToOem(written);
}

void TDbfFieldLayer::PutStringUtf16(int field, std::u16string_view text, bool transliterate) {
  std::span<char> bytes = FieldBytes(field);
  const size_t count = translate_ascii_ && transliterate
                           ? Codec().encode_utf16_as_oem(bytes, text)
                           : platform::text_codec().encode_utf16_as_ansi(bytes, text);
  if (LeftJustified(Field(field).type)) {
    std::fill(bytes.begin() + static_cast<ptrdiff_t>(count), bytes.end(), ' ');
  } else {
    std::copy_backward(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(count), bytes.end());
    std::fill(bytes.begin(), bytes.end() - static_cast<ptrdiff_t>(count), ' ');
  }
  MarkFieldChanged(field);
}

void TDbfFieldLayer::GetString(int field, bool transliterate, std::string& ansi) const {
  std::string_view text = TrimRight(GetFieldText(field), ' ');
  ansi.assign(text);
  if (translate_ascii_ && transliterate) OemToAnsi(ansi);
}

void TDbfFieldLayer::GetStringUtf16(int field, bool transliterate, std::u16string& text) const {
  const std::string_view stored = TrimRight(GetFieldText(field), ' ');
  const platform::TextCodec& codec = Codec();
  text.resize(stored.size());
  // Translated up to the first zero byte, as OemToAnsi does; each byte then
  // becomes its ANSI character.
  size_t translated = 0;
  if (translate_ascii_ && transliterate) {
    translated = std::min(stored.find('\0'), stored.size());
    for (size_t i = 0; i < translated; ++i)
      text[i] = codec.oem_to_ansi_unicode(stored[i]);
  }
  const platform::CodePage& ansi = codec.ansi();
  for (size_t i = translated; i < stored.size(); ++i)
    text[i] = ansi.to_unicode(static_cast<unsigned char>(stored[i]));
}

const platform::TextCodec& TDbfFieldLayer::DeclaredPageCodec() const {
  const platform::TextCodec& process = platform::text_codec();
  const int page = TextCodePage();
  if (!table_codec_ || table_codec_->oem().number() != page ||
      table_codec_->ansi().number() != process.ansi().number()) {
    table_codec_.emplace(process.ansi().number(), page);
  }
  return *table_codec_;
}

namespace {

// Translates `text` byte for byte up to its first zero byte. ASCII is the
// same in every page and its translation, so eight ASCII bytes at a time are
// left as they are: a memo is often hundreds of bytes.
template <class Translate>
void TranslateUpToZero(std::span<char> text, Translate translate) {
  const void* zero = std::memchr(text.data(), 0, text.size());
  const size_t size =
      zero ? static_cast<size_t>(static_cast<const char*>(zero) - text.data()) : text.size();
  char* const bytes = text.data();
  constexpr uint64_t kTops = 0x8080808080808080ull;
  size_t i = 0;
  for (; i + sizeof(uint64_t) <= size; i += sizeof(uint64_t)) {
    uint64_t word = 0;
    std::memcpy(&word, bytes + i, sizeof word);
    if ((word & kTops) == 0) continue;
    for (size_t k = i; k < i + sizeof word; ++k)
      bytes[k] = translate(bytes[k]);
  }
  for (; i < size; ++i)
    bytes[i] = translate(bytes[i]);
}

}  // namespace

void TDbfFieldLayer::AnsiToOem(std::span<char> text) const {
  const platform::TextCodec& codec = Codec();
  TranslateUpToZero(text, [&codec](char c) { return codec.ansi_to_oem(c); });
}

void TDbfFieldLayer::OemToAnsi(std::span<char> text) const {
  const platform::TextCodec& codec = Codec();
  TranslateUpToZero(text, [&codec](char c) { return codec.oem_to_ansi(c); });
}

// Made at compile time: a table opened while statics are made still finds it.
constinit const std::array<TDbfFieldLayer::FormOfType, 256> TDbfFieldLayer::kFormOfType = [] {
  std::array<FormOfType, 256> forms{};
  for (int byte = 0; byte < 256; ++byte) {
    const char type = static_cast<char>(byte);
    FormOfType& form = forms[static_cast<size_t>(byte)];
    switch (type) {
      case 'N':
      case 'F':
      case 'M':
      case 'B':
      case 'G':
        form.text = NumberForm::kText;
        break;
      default:
        break;
    }
    form.binary_width = static_cast<uint8_t>(BinaryWidth(type));
  }
  return forms;
}();

void TDbfFieldLayer::RaiseTooBig(const TDbfFieldDef& field, std::string_view text) const {
  std::string argument = field.name;
  argument.append(" - ").append(text);
  raise<DbfError>("numeric value too big in field %s", {argument});
}

void TDbfFieldLayer::RaiseWrongType(const TDbfFieldDef& field) const {
  raise<DbfError>("Field %s is the incorrect type", {field.name});
}

void TDbfFieldLayer::RaiseInvalidNumber(const TDbfFieldDef& field, std::string_view text) const {
  std::string argument(platform::base_name(ShownName()));
  argument.append("->").append(field.name).append(" (").append(text).append(")");
  raise<DbfError>("Invalid numeric value in field %s", {argument});
}

void TDbfFieldLayer::PlaceNumber(int field, size_t size) {
  std::span<char> bytes = FieldBytes(field);
  std::fill(bytes.begin(), bytes.end() - static_cast<ptrdiff_t>(size), ' ');
  MarkFieldChanged(field);
}

void TDbfFieldLayer::PutNumber(int field, double value) {
  const TDbfFieldDef& def = Field(field);
  switch (FormOf(def)) {
    case NumberForm::kNone:
      RaiseWrongType(def);
    case NumberForm::kBinary:
      PutBinary(field, value);
      return;
    case NumberForm::kText:
      break;
  }
  const auto key = std::bit_cast<uint64_t>(value);  // -0 is not 0: it keeps its "-"
  const std::span<char> bytes = FieldBytes(field);
  if (Recall(field, bytes, FieldTextMemo::Kind::kNumber, key)) return;
  const int decimals = def.type == 'N' || def.type == 'F' ? static_cast<int>(def.decimals) : 0;
  // The text goes straight to the field's end; one that does not fit writes
  // nothing, so a failed write leaves the field as it was. Infinities and NaN
  // have no fixed-point text ("INF" in a numeric field would only fail on
  // reading) and never fit.
  const size_t size = format_fixed_right(bytes, value, decimals, '.', kSignificantDigits);
  if (size > def.length || !std::isfinite(value))
    RaiseTooBig(def, format_fixed(value, decimals, '.', kSignificantDigits));
  PlaceNumber(field, size);
  memo_.Remember(field, FieldTextMemo::Kind::kNumber, key, bytes);
}

void TDbfFieldLayer::ResetMemo() {
  memo_.Reset(static_cast<size_t>(FieldCount()));
  memo_opening_ = Openings();
}

void TDbfFieldLayer::PutInteger(int field, int64_t value) {
  const TDbfFieldDef& def = Field(field);
  switch (FormOf(def)) {
    case NumberForm::kNone:
      RaiseWrongType(def);
    case NumberForm::kBinary:
      PutBinary(field, static_cast<double>(value));
      return;
    case NumberForm::kText:
      break;
  }
  const auto key = static_cast<uint64_t>(value);
  const std::span<char> bytes = FieldBytes(field);
  if (Recall(field, bytes, FieldTextMemo::Kind::kWhole, key)) return;
  const int decimals = def.type == 'N' || def.type == 'F' ? static_cast<int>(def.decimals) : 0;
  const size_t size = format_whole_right(bytes, value, decimals);
  if (size > def.length) {
    std::string text(size, ' ');
    format_whole_right(text, value, decimals);
    RaiseTooBig(def, text);
  }
  PlaceNumber(field, size);
  memo_.Remember(field, FieldTextMemo::Kind::kWhole, key, bytes);
}

void TDbfFieldLayer::PutBinary(int field, double value) {
  const TDbfFieldDef& def = Field(field);
  char bytes[8] = {};
  if (!std::isfinite(value)) RaiseTooBig(def, format_general(value, '.'));
  switch (def.type) {
    case 'B':
      format::EncodeDouble(bytes, value);
      break;
    case 'T':
      if (value != 0) {
        // The day is stored as a 32-bit Julian day number: a date beyond it
        // cannot be written (and must not wrap into another date).
        const double day = std::floor(value);
        const double julian = day + kJulianDayOfDateZero;
        if (julian < -2147483648.0 || julian > 2147483647.0)
          RaiseTooBig(def, format_general(value, '.'));
        const double ms = std::round((value - day) * kMillisecondsPerDay);
        format::EncodeFixed32(bytes, static_cast<uint32_t>(static_cast<int32_t>(julian)));
        format::EncodeFixed32(bytes + 4, static_cast<uint32_t>(static_cast<int64_t>(ms)));
      }
      break;
    case 'Y': {
      const double units = std::round(value * kCurrencyScale);
      if (std::fabs(units) >= 9.2e18) RaiseTooBig(def, format_general(value, '.'));
      format::EncodeFixed64(bytes, static_cast<uint64_t>(static_cast<int64_t>(units)));
      break;
    }
    default: {  // I, and the block numbers of M and G
      const double whole = round_half_even(value);
      if (whole < -2147483648.0 || whole > 2147483647.0)
        RaiseTooBig(def, format_general(value, '.'));
      format::EncodeFixed32(bytes, static_cast<uint32_t>(static_cast<int32_t>(whole)));
      break;
    }
  }
  std::span<char> target = FieldBytes(field);
  std::copy_n(bytes, target.size(), target.begin());
  MarkFieldChanged(field);
}

double TDbfFieldLayer::GetBinary(const TDbfFieldDef& field) const {
  const char* p = RecordBuffer().data() + field.offset;
  switch (field.type) {
    case 'B':
      return format::DecodeDouble(p);
    case 'T': {
      const auto day = static_cast<int32_t>(format::DecodeFixed32(p));
      const auto ms = static_cast<int32_t>(format::DecodeFixed32(p + 4));
      if (day == 0 && ms == 0) return 0;
      return (day - kJulianDayOfDateZero) + ms / kMillisecondsPerDay;
    }
    case 'Y':
      return static_cast<double>(static_cast<int64_t>(format::DecodeFixed64(p))) / kCurrencyScale;
    default:
      return static_cast<int32_t>(format::DecodeFixed32(p));
  }
}

std::string_view TDbfFieldLayer::NumberText(int field) const {
  const TDbfFieldDef& def = Field(field);
  if (FormOf(def) == NumberForm::kNone) RaiseWrongType(def);
  return TrimBlanks(GetFieldText(field));
}

double TDbfFieldLayer::GetNumber(int field) const {
  const TDbfFieldDef& def = Field(field);
  switch (FormOf(def)) {
    case NumberForm::kNone:
      RaiseWrongType(def);
    case NumberForm::kBinary:
      return GetBinary(def);
    case NumberForm::kText:
      break;
  }
  std::string_view text = TrimBlanks(GetFieldText(field));
  if (text.empty()) return 0;
  std::optional<double> value = parse_number(text, '.');
  if (!value)
    RaiseInvalidNumber(def, text.substr(std::min(text.find_first_not_of(' '), text.size())));
  return *value;
}

int64_t TDbfFieldLayer::GetInteger(int field) const {
  const TDbfFieldDef& def = Field(field);
  if (FormOf(def) == NumberForm::kText) {
    if (std::optional<int64_t> exact = parse_int64(NumberText(field))) return *exact;
  }
  const double whole = round_half_even(GetNumber(field));
  // 2^63 itself is out of range; every double below it converts exactly.
  if (!(whole >= -9223372036854775808.0 && whole < 9223372036854775808.0)) {
    std::string_view text = NumberText(field);
    RaiseInvalidNumber(def, text.substr(std::min(text.find_first_not_of(' '), text.size())));
  }
  return static_cast<int64_t>(whole);
}

void TDbfFieldLayer::PutLogical(int field, bool value) {
  const TDbfFieldDef& def = Field(field);
  if (def.type != 'L') raise<DbfError>("Invalid %s value for field %s", {"Logical", def.name});
  PutFieldText(field, value ? "T" : "F");
}

bool TDbfFieldLayer::GetLogical(int field) const {
  const TDbfFieldDef& def = Field(field);
  if (def.type != 'L') raise<DbfError>("Invalid %s value for field %s", {"Logical", def.name});
  std::string_view text = GetFieldText(field);
  if (text.empty()) return false;
  switch (text[0]) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
    case 'J':
    case 'j':
      return true;
    default:
      return false;
  }
}

void TDbfFieldLayer::PutDate(int field, double date) {
  const TDbfFieldDef& def = Field(field);
  if (def.type != 'D') RaiseWrongType(def);
  const auto key = std::bit_cast<uint64_t>(date);
  const std::span<char> bytes = FieldBytes(field);
  if (Recall(field, bytes, FieldTextMemo::Kind::kDate, key)) return;
  WriteDate(field, date);
  memo_.Remember(field, FieldTextMemo::Kind::kDate, key, bytes);
}

void TDbfFieldLayer::WriteDate(int field, double date) {
  std::optional<DateParts> parts = decode_date(date);
  if (!parts) {
    ClearField(field);
    return;
  }
  char text[8];  // yyyymmdd, the year 1..9999
  write_digit_pair(text, static_cast<unsigned>(parts->year / 100));
  write_digit_pair(text + 2, static_cast<unsigned>(parts->year % 100));
  write_digit_pair(text + 4, static_cast<unsigned>(parts->month));
  write_digit_pair(text + 6, static_cast<unsigned>(parts->day));
  std::span<char> bytes = FieldBytes(field);
  if (bytes.size() != sizeof text) {
    // Another program's table may give the field another width: the text
    // is cut to it or followed by blanks, as any left-justified text.
    Place(field, std::string_view(text, sizeof text));
    return;
  }
  std::memcpy(bytes.data(), text, sizeof text);
  MarkFieldChanged(field);
}

std::optional<double> TDbfFieldLayer::GetDate(int field) const {
  const TDbfFieldDef& def = Field(field);
  if (def.type != 'D') RaiseWrongType(def);
  std::string_view text = TrimBlanks(GetFieldText(field));
  if (text.size() != 8 || text == "00000000") return std::nullopt;
  std::optional<int> year = DigitsValue(text.substr(0, 4));
  std::optional<int> month = DigitsValue(text.substr(4, 2));
  std::optional<int> day = DigitsValue(text.substr(6, 2));
  if (!year || !month || !day) return std::nullopt;
  return encode_date(*year, *month, *day);
}

bool TDbfFieldLayer::BlankHoldsZero(const TDbfFieldDef& def) const {
  const bool fox_number =
      IsVisualFox() && BinaryWidth(def.type) != 0 && FormOf(def) != NumberForm::kNone;
  return def.type == 'N' || def.type == 'F' || fox_number;
}

void TDbfFieldLayer::PutZero(int field) {
  const TDbfFieldDef& def = Field(field);
  if (blank_opening_ != Openings() || !BlankHoldsZero(def)) return PutInteger(field, 0);
  std::memcpy(RecordBuffer().data() + def.offset, blank_record_.data() + def.offset, def.length);
  MarkFieldChanged(field);
}

void TDbfFieldLayer::BlankRecord() {
  std::span<char> record = RecordBuffer();
  // Every new record of a table is the same: the first one of an opening is
  // made field by field, the others are copies of it.
  if (blank_opening_ == Openings() && blank_record_.size() == record.size()) {
    std::copy(blank_record_.begin(), blank_record_.end(), record.begin());
    MarkAllChanged();
    return;
  }
  std::fill(record.begin(), record.end(), ' ');
  for (int i = 0; i < FieldCount(); ++i) {
    if (BlankHoldsZero(Field(i))) PutInteger(i, 0);
  }
  MarkAllChanged();
  blank_record_.assign(record.begin(), record.end());
  blank_opening_ = Openings();
}

}  // namespace pharmex::dbf
