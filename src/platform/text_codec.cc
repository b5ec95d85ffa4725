#include "platform/text_codec.h"

#include "core/error.h"

namespace pharmex::platform {

namespace {

char best_fit(char16_t unit) {
  switch (unit) {
    case u'\u00AB':  // «
    case u'\u00BB':  // »
    case u'\u201C':
    case u'\u201D':
    case u'\u201E':
      return '"';
    case u'\u2018':
    case u'\u2019':
    case u'\u201A':
      return '\'';
    case u'\u2013':
    case u'\u2014':
      return '-';
    default:
      return TextCodec::kSubstitute;
  }
}

}  // namespace

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
  // Never more bytes than units. Written out rather than through encode():
  // long texts (memos, text files) go faster in this plainer loop.
  const size_t start = out.size();
  out.resize(start + text.size());
  char* const first = out.data() + start;
  char* next = first;
  const CodePage& page = *ansi_;
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit < 0x80) {
      *next++ = static_cast<char>(unit);
      continue;
    }
    // A surrogate pair is one character: one substitute for both halves.
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      *next++ = kSubstitute;
      ++i;
      continue;
    }
    const std::optional<unsigned char> byte = page.from_unicode(unit);
    *next++ = static_cast<char>(byte ? *byte : encode_unit(page, unit));
  }
  out.resize(start + static_cast<size_t>(next - first));
}

template <bool Translated>
std::pair<size_t, size_t> TextCodec::encode(std::span<char> out, std::u16string_view text) const {
  char* next = out.data();
  char* const end = next + out.size();
  const CodePage& page = *ansi_;
  size_t i = 0;
  for (; i < text.size() && next != end; ++i) {
    const char16_t unit = text[i];
    unsigned char byte = 0;
    if (unit < 0x80) {
      if (Translated && unit == 0) break;  // translation ends at a zero byte
      byte = static_cast<unsigned char>(unit);
    } else if (const std::optional<unsigned char> in_page = page.from_unicode(unit)) {
      byte = *in_page;  // no page holds a surrogate: the pair is below
    } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
               text[i + 1] <= 0xDFFF) {
      byte = kSubstitute;  // a surrogate pair is one character: one substitute
      ++i;
    } else {
      byte = encode_unit(page, unit);
    }
    *next++ = static_cast<char>(Translated ? ansi_to_oem_[byte] : byte);
  }
  return {static_cast<size_t>(next - out.data()), i};
}

size_t TextCodec::encode_utf16_as_ansi(std::span<char> out, std::u16string_view text) const {
  return encode<false>(out, text).first;
}

size_t TextCodec::encode_utf16_as_oem(std::span<char> out, std::u16string_view text) const {
  const auto [written, read] = encode<true>(out, text);
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
  for (char& c : out)
    c = static_cast<char>(ansi_->to_upper(static_cast<unsigned char>(c)));
  return out;
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
