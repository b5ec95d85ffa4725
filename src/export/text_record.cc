#include "export/text_record.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

#include "core/error.h"
#include "platform/text_codec.h"

namespace pharmex::exporting {

namespace {

// True when a byte of `word` is below a blank (CR and LF among them) or is
// ";". Subtracting n from every byte borrows into the top bit of the lowest
// byte below n whose own top bit is clear, so a sought byte is never missed;
// a byte above it may be flagged by the borrow as well, and the bytes are
// then looked at one by one.
template <class Word>
bool may_hold_separator(Word word) {
  constexpr auto kOnes = static_cast<Word>(0x0101010101010101ull);
  constexpr auto kTops = static_cast<Word>(0x8080808080808080ull);
  const Word below_blank = (word - kOnes * ' ') & ~word & kTops;
  const Word semicolons = word ^ (kOnes * ';');
  const Word semicolon = (semicolons - kOnes) & ~semicolons & kTops;
  return (below_blank | semicolon) != 0;
}

template <class Word>
bool may_hold_separator_at(std::span<const char> text, size_t at) {
  Word word = 0;
  std::memcpy(&word, text.data() + at, sizeof word);
  return may_hold_separator(word);
}

void replace_separators(std::span<char> text) {
  for (char& c : text) {
    if (c == ';') {
      c = '^';
    } else if (c == '\r' || c == '\n') {
      c = ' ';
    }
  }
}

// Host texts seldom hold a separator: they are looked at a word at a time,
// the last word overlapping the one before (what is replaced is no
// separator, so a byte looked at twice is left as it was made).
void replace_separators_by_word(std::span<char> text) {
  const size_t size = text.size();
  if (size < sizeof(uint32_t)) return replace_separators(text);
  if (size < sizeof(uint64_t)) {
    if (may_hold_separator_at<uint32_t>(text, 0) ||
        may_hold_separator_at<uint32_t>(text, size - sizeof(uint32_t))) {
      replace_separators(text);
    }
    return;
  }
  for (size_t at = 0;; at += sizeof(uint64_t)) {
    at = std::min(at, size - sizeof(uint64_t));
    if (may_hold_separator_at<uint64_t>(text, at))
      replace_separators(text.subspan(at, sizeof(uint64_t)));
    if (at + sizeof(uint64_t) == size) return;
  }
}

}  // namespace

void append_host_text(std::string& out, std::u16string_view text) {
  const size_t start = out.size();
  platform::text_codec().append_utf16_as_ansi(out, text);
  replace_separators_by_word(std::span<char>(out).subspan(start));
}

void TextRecord::add_field(std::string_view ansi_text) {
  text_.append(ansi_text);
  text_.push_back(';');
}

void TextRecord::append_value(const Variant& value) {
  if (value.is_string()) {
    append_host_text(text_, value.string_value());
    return;
  }
  // The variant rule adds an Empty value as "": the record stays as it is.
  if (value.is_empty()) return;
  // Anything else goes through the variant rule, which reads the record as a
  // number (it holds a ";": that fails) or yields null, which cannot become
  // text. Either way the record cannot go on.
  Variant sum = add(Variant::string(platform::text_codec().ansi_to_utf16(text_)), value, settings_);
  throw_conversion_error(sum.kind(), "String");
}

void TextRecord::add_value_text(const Variant& value, bool upper) {
  const size_t start = text_.size();
  if (value.is_string()) {
    append_host_text(text_, value.string_value());
  } else {
    append_host_text(text_, value.to_text(settings_));
  }
  if (upper) platform::text_codec().upper_ansi_inplace(std::span<char>(text_).subspan(start));
  end_field();
}

void TextRecord::add_optional_value(const Variant& value) {
  if (!value.is_null()) append_value(value);
  end_field();
}

}  // namespace pharmex::exporting
