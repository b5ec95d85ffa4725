#include "platform/text_codec.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "core/error.h"

namespace pharmex::platform {

namespace {

// Characters that have a plain stand-in when a page lacks them: quotation
// marks and dashes. Every other missing character becomes the substitute.
struct BestFit {
  char16_t unit;
  char fit;
};
constexpr BestFit kBestFits[] = {
    {u'\u00AB', '"'},   // «
    {u'\u00BB', '"'},   // »
    {u'\u201C', '"'},   // “
    {u'\u201D', '"'},   // ”
    {u'\u201E', '"'},   // „
    {u'\u2018', '\''},  // ‘
    {u'\u2019', '\''},  // ’
    {u'\u201A', '\''},  // ‚
    {u'\u2013', '-'},   // –
    {u'\u2014', '-'},   // —
};

char best_fit(char16_t unit) {
  for (const BestFit& entry : kBestFits) {
    if (entry.unit == unit) return entry.fit;
  }
  return TextCodec::kSubstitute;
}

constexpr size_t kUnits = 65536;

bool is_low_surrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

// An entry of a unit table: the unit's byte, and this bit for the units the
// encoder must look at closer: the high surrogates (a surrogate pair is one
// character, one substitute for both halves) and, where translation ends
// there, the zero unit.
constexpr uint16_t kLookCloser = 0x100;

// Fills `units` with each UTF-16 unit's byte in `page` (encode_unit's byte),
// passed through `map` (a byte to byte translation): the substitute first,
// then the best fits, then the page's own characters over them.
void fill_unit_bytes(const CodePage& page, const unsigned char (&map)[256], bool zero_ends,
                     uint16_t* units) {
  const auto byte_of = [&page, &map](char16_t unit) {
    return map[page.from_unicode(unit).value_or(
        static_cast<unsigned char>(TextCodec::kSubstitute))];
  };
  std::fill_n(units, kUnits, byte_of(TextCodec::kSubstitute));
  for (const BestFit& entry : kBestFits)
    units[entry.unit] = byte_of(static_cast<char16_t>(entry.fit));
  for (int byte = 0; byte < 256; ++byte) {
    const char16_t unit = page.to_unicode(static_cast<unsigned char>(byte));
    units[unit] = byte_of(unit);  // a page listing a character twice: its first byte
  }
  for (char16_t unit = 0xD800; unit <= 0xDBFF; ++unit)
    units[unit] |= kLookCloser;
  if (zero_ends) units[0] |= kLookCloser;
}

// The encoder for texts with a unit to look at closer: one unit at a time.
template <bool StopAtZero>
std::pair<size_t, size_t> encode_closely(const uint16_t* units, std::span<char> out,
                                         std::u16string_view text) {
  size_t read = 0;
  size_t written = 0;
  while (read < text.size() && written < out.size()) {
    const char16_t unit = text[read++];
    const uint16_t entry = units[unit];
    if (entry & kLookCloser) {
      if (StopAtZero && unit == 0) return {written, read - 1};
      if (read < text.size() && is_low_surrogate(text[read])) ++read;
    }
    out[written++] = static_cast<char>(entry);
  }
  return {written, read};
}

// Encodes `text` through `units` while `out` has room; when `StopAtZero`,
// stops before a zero unit. Returns the bytes written and the units read.
//
// Each unit makes one byte but for the few marked ones: the text is encoded
// unit for byte first, four units at a time, and again closely in the rare
// case it held a marked unit. Four ASCII units, most of the fields' text,
// are copied without the table: they are their own bytes in every page and
// its translation (the lower half of every page is ASCII).
template <bool StopAtZero>
std::pair<size_t, size_t> encode_units(const uint16_t* units, std::span<char> out,
                                       std::u16string_view text) {
  const size_t count = std::min(text.size(), out.size());
  const char16_t* in = text.data();
  char* bytes = out.data();
  uint16_t marks = 0;
  uint64_t zeros = 0;
  size_t i = 0;
  for (; i + 4 <= count; i += 4) {
    uint64_t four = 0;
    std::memcpy(&four, in + i, sizeof four);
    if ((four & 0xFF80FF80FF80FF80ull) == 0) {
      // An ASCII unit is zero when adding 0x7F leaves its bit 7 clear.
      if (StopAtZero) zeros |= ~(four + 0x007F007F007F007Full) & 0x0080008000800080ull;
      for (size_t k = 0; k < 4; ++k)
        bytes[i + k] = static_cast<char>(in[i + k]);
      continue;
    }
    for (size_t k = 0; k < 4; ++k) {
      const uint16_t entry = units[in[i + k]];
      marks |= entry;
      bytes[i + k] = static_cast<char>(entry);
    }
  }
  for (; i < count; ++i) {
    const uint16_t entry = units[in[i]];
    marks |= entry;
    bytes[i] = static_cast<char>(entry);
  }
  if ((marks & kLookCloser) == 0 && zeros == 0) return {count, count};
  return encode_closely<StopAtZero>(units, out, text);
}

}  // namespace

TextCodec::UnitTable& TextCodec::UnitTable::operator=(const UnitTable& other) {
  // The pages may change with the assignment: the table is made again.
  if (this != &other) delete[] units_.exchange(nullptr);
  return *this;
}

TextCodec::UnitTable::~UnitTable() {
  delete[] units_.load();
}

template <class Fill>
const uint16_t* TextCodec::UnitTable::get(Fill fill) const {
  if (const uint16_t* made = units_.load(std::memory_order_acquire)) return made;
  auto fresh = std::make_unique<uint16_t[]>(kUnits);
  fill(fresh.get());
  uint16_t* expected = nullptr;
  if (units_.compare_exchange_strong(expected, fresh.get(), std::memory_order_acq_rel)) {
    return fresh.release();
  }
  return expected;  // another thread's, the same bytes
}

const uint16_t* TextCodec::ansi_units() const {
  return ansi_units_.get([this](uint16_t* units) {
    unsigned char identity[256];
    for (int byte = 0; byte < 256; ++byte)
      identity[byte] = static_cast<unsigned char>(byte);
    fill_unit_bytes(*ansi_, identity, false, units);
  });
}

const uint16_t* TextCodec::oem_units() const {
  return oem_units_.get(
      [this](uint16_t* units) { fill_unit_bytes(*ansi_, ansi_to_oem_, true, units); });
}

unsigned char TextCodec::encode_unit(const CodePage& page, char16_t unit) {
  if (auto byte = page.from_unicode(unit)) return *byte;
  char fit = best_fit(unit);
  if (auto byte = page.from_unicode(static_cast<char16_t>(fit))) return *byte;
  return static_cast<unsigned char>(kSubstitute);
}

TextCodec::TextCodec(int ansi, int oem) : ansi_(CodePage::find(ansi)), oem_(CodePage::find(oem)) {
  if (ansi_ == nullptr) raise<Error>("Unknown code page %d", {int64_t{ansi}});
  if (oem_ == nullptr) raise<Error>("Unknown code page %d", {int64_t{oem}});
  for (int byte = 0; byte < 256; ++byte) {
    auto b = static_cast<unsigned char>(byte);
    ansi_to_oem_[byte] = encode_unit(*oem_, ansi_->to_unicode(b));
    oem_to_ansi_[byte] = encode_unit(*ansi_, oem_->to_unicode(b));
    oem_to_ansi_unicode_[byte] = ansi_->to_unicode(oem_to_ansi_[byte]);
  }
}

void TextCodec::ansi_to_oem_inplace(std::string& text) const {
  for (char& c : text)
    c = ansi_to_oem(c);
}

void TextCodec::oem_to_ansi_inplace(std::string& text) const {
  for (char& c : text)
    c = oem_to_ansi(c);
}

std::string TextCodec::ansi_to_oem(std::string_view text) const {
  std::string out(text);
  ansi_to_oem_inplace(out);
  return out;
}

std::string TextCodec::oem_to_ansi(std::string_view text) const {
  std::string out(text);
  oem_to_ansi_inplace(out);
  return out;
}

std::u16string TextCodec::ansi_to_utf16(std::string_view text) const {
  std::u16string out;
  out.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    out[i] = ansi_->to_unicode(static_cast<unsigned char>(text[i]));
  }
  return out;
}

void TextCodec::append_utf16_as_ansi(std::string& out, std::u16string_view text) const {
  // Never more bytes than units.
  const size_t start = out.size();
  out.resize(start + text.size());
  const size_t written =
      encode_units<false>(ansi_units(), std::span<char>(out).subspan(start), text).first;
  out.resize(start + written);
}

size_t TextCodec::encode_utf16_as_ansi(std::span<char> out, std::u16string_view text) const {
  return encode_units<false>(ansi_units(), out, text).first;
}

size_t TextCodec::encode_utf16_as_oem(std::span<char> out, std::u16string_view text) const {
  const auto [written, read] = encode_units<true>(oem_units(), out, text);
  if (read == text.size() || written == out.size()) return written;
  // A zero unit: the zero byte and what follows it stay ANSI.
  return written + encode_utf16_as_ansi(out.subspan(written), text.substr(read));
}

std::string TextCodec::utf16_to_ansi(std::u16string_view text) const {
  std::string out;
  append_utf16_as_ansi(out, text);
  return out;
}

std::string TextCodec::ansi_to_utf8(std::string_view text) const {
  return utf16_to_utf8(ansi_to_utf16(text));
}

std::string TextCodec::utf8_to_ansi(std::string_view text) const {
  return utf16_to_ansi(utf8_to_utf16(text));
}

std::string TextCodec::upper_ansi(std::string_view text) const {
  std::string out(text);
  upper_ansi_inplace(out);
  return out;
}

void TextCodec::upper_ansi_inplace(std::span<char> text) const {
  for (char& c : text)
    c = static_cast<char>(ansi_->to_upper(static_cast<unsigned char>(c)));
}

std::u16string utf8_to_utf16(std::string_view text) {
  // UTF-16 never takes more units than UTF-8 takes bytes: the text is decoded
  // into that much room, then cut to what it took.
  std::u16string out(text.size(), u'\0');
  char16_t* next = out.data();
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
      *next++ = b0;
      ++i;
      continue;
    }
    // Two bytes (Latin, Cyrillic): always valid with a continuation byte.
    if (b0 >= 0xC2 && b0 <= 0xDF && i + 1 < n &&
        (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
      *next++ = static_cast<char16_t>((b0 & 0x1F) << 6 | (text[i + 1] & 0x3F));
      i += 2;
      continue;
    }
    char32_t cp = 0xFFFD;
    size_t len = 1;
    if (b0 >= 0xC2 && b0 <= 0xF4) {
      size_t need = b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : 4;
      char32_t value = b0 & (need == 2 ? 0x1F : need == 3 ? 0x0F : 0x07);
      size_t k = 1;
      for (; k < need && i + k < n; ++k) {
        auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) break;
        value = (value << 6) | (b & 0x3F);
      }
      bool overlong = (need == 3 && value < 0x800) || (need == 4 && value < 0x10000);
      bool surrogate = value >= 0xD800 && value <= 0xDFFF;
      if (k == need && !overlong && !surrogate && value <= 0x10FFFF) {
        cp = value;
        len = need;
      } else {
        len = k;  // skip the broken sequence as one replacement character
      }
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      *next++ = static_cast<char16_t>(0xD800 + (cp >> 10));
      *next++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      *next++ = static_cast<char16_t>(cp);
    }
    i += len;
  }
  out.resize(static_cast<size_t>(next - out.data()));
  return out;
}

std::string utf16_to_utf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // a lone surrogate
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

const TextCodec& text_codec() {
  return Service<const TextCodec>::current_ref();
}

}  // namespace pharmex::platform
