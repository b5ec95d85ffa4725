#include "memhost/csv_scanner.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/error.h"
#include "memhost/csv_column_type.h"
#include "memhost/csv_value.h"
#include "platform/text_codec.h"

namespace pharmex::memhost {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// The scanner reads its source in pieces of this size (a record longer than
// that grows the buffer).
constexpr size_t kPiece = size_t{1} << 20;

// How many bytes at the start of `text` are whole, valid UTF-8 sequences.
// Stops at an invalid sequence (setting `invalid`) or at a valid beginning
// of one that `text` cuts off while more follows (`at_end` false).
size_t valid_utf8_prefix(std::string_view text, bool at_end, bool& invalid) {
  invalid = false;
  const size_t n = text.size();
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  size_t at = 0;
  while (at < n) {
#if defined(__SSE2__)
    // Sixteen bytes at a time while they are ASCII and whole two-byte
    // sequences (Latin, Cyrillic): every byte from 0x80 a lead from C2 to DF
    // followed by a continuation byte, or that continuation byte.
    while (n - at >= 16) {
      const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text.data() + at));
      const auto high = static_cast<unsigned>(_mm_movemask_epi8(bytes));
      if (high == 0) {
        at += 16;
        continue;
      }
      const auto continuation = static_cast<unsigned>(_mm_movemask_epi8(
          _mm_cmpeq_epi8(_mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(0xC0))),
                         _mm_set1_epi8(static_cast<char>(0x80)))));
      const auto two_byte_lead = static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(
          _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(0xC0))),
                       _mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(0xC1)))),
          _mm_cmpeq_epi8(_mm_and_si128(bytes, _mm_set1_epi8(static_cast<char>(0xE0))),
                         _mm_set1_epi8(static_cast<char>(0xC0))))));
      if ((two_byte_lead | continuation) != high ||
          ((two_byte_lead << 1) & 0xFFFF) != continuation) {
        break;
      }
      // A lead in the last byte is checked with the next sixteen.
      at += (two_byte_lead & 0x8000) != 0 ? 15 : 16;
    }
    if (at == n) break;
#endif
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
      // A run of ASCII, eight bytes at a time.
      ++at;
      while (n - at >= 8) {
        uint64_t word = 0;
        std::memcpy(&word, text.data() + at, sizeof word);
        if ((word & 0x8080808080808080ull) != 0) break;
        at += 8;
      }
      continue;
    }
    // Two bytes (Latin, Cyrillic): any lead from C2 with a continuation byte.
    if (lead >= 0xC2 && lead <= 0xDF && n - at >= 2 && (byte(at + 1) & 0xC0) == 0x80) {
      at += 2;
      continue;
    }
    const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    // The second byte's range excludes overlong forms, surrogates and code
    // points beyond U+10FFFF.
    const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    const size_t available = std::min(length, n - at);
    bool bad = length == 0 || (available >= 2 && (byte(at + 1) < low || byte(at + 1) > high));
    for (size_t i = 2; !bad && i < available; ++i)
      bad = (byte(at + i) & 0xC0) != 0x80;
    if (!bad && available < length) {
      if (!at_end) return at;
      bad = true;
    }
    if (bad) {
      invalid = true;
      return at;
    }
    at += length;
  }
  return at;
}

}  // namespace

void CsvTextSource::read(uint64_t offset, std::span<char> buffer) {
  std::memcpy(buffer.data(), text_.data() + offset, buffer.size());
}

CsvScanner::CsvScanner(CsvSource& source, std::string source_name)
    : source_(source), source_name_(std::move(source_name)) {
  buffer_.resize(static_cast<size_t>(std::min<uint64_t>(kPiece, source_.size() + 1)));
  refill();
  if (std::string_view(buffer_.data(), buffer_end_).starts_with(kByteOrderMark)) {
    text_start_ = pos_ = validated_ = kByteOrderMark.size();
  }
  check_utf8(buffer_end_ == source_.size());
}

void CsvScanner::refill() {
  const size_t keep = static_cast<size_t>(buffer_end_ - pos_);
  std::memmove(buffer_.data(), buffer_.data() + (pos_ - buffer_offset_), keep);
  buffer_offset_ = pos_;
  if (keep == buffer_.size()) buffer_.resize(std::max(kPiece, buffer_.size() * 2));
  const size_t wanted =
      static_cast<size_t>(std::min<uint64_t>(buffer_.size() - keep, source_.size() - buffer_end_));
  source_.read(buffer_end_, std::span(buffer_.data() + keep, wanted));
  buffer_end_ += wanted;
}

void CsvScanner::check_utf8(bool at_end) {
  std::string_view unchecked(buffer_.data() + (validated_ - buffer_offset_),
                             static_cast<size_t>(buffer_end_ - validated_));
  bool invalid = false;
  validated_ += valid_utf8_prefix(unchecked, at_end, invalid);
  if (invalid) fail_here(validated_, "invalid UTF-8");
}

std::optional<uint64_t> CsvScanner::first_invalid_utf8_after() {
  std::string piece;
  uint64_t at = validated_;
  while (at < source_.size()) {
    const size_t length = static_cast<size_t>(std::min<uint64_t>(kPiece, source_.size() - at));
    piece.resize(length);
    source_.read(at, piece);
    bool invalid = false;
    const size_t valid = valid_utf8_prefix(piece, at + length == source_.size(), invalid);
    if (invalid) return at + valid;
    if (valid == 0) return std::nullopt;  // cannot happen: a piece holds a whole sequence
    at += valid;
  }
  return std::nullopt;
}

void CsvScanner::fail(uint64_t at, std::string_view what) {
  if (std::optional<uint64_t> invalid = first_invalid_utf8_after()) {
    fail_here(*invalid, "invalid UTF-8");
  }
  fail_here(at, what);
}

void CsvScanner::fail_here(uint64_t at, std::string_view what) {
  int64_t line = 1;
  int64_t column = 1;
  std::string piece;
  for (uint64_t from = text_start_; from < at;) {
    const size_t length = static_cast<size_t>(std::min<uint64_t>(kPiece, at - from));
    piece.resize(length);
    source_.read(from, piece);
    for (char c : piece) {
      if (c == '\n') {
        ++line;
        column = 1;
      } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
        ++column;
      }
    }
    from += length;
  }
  std::string message = format_message("%s:%d:%d: %s", {source_name_, line, column, what});
  throw Error(platform::text_codec().utf8_to_ansi(message));
}

bool CsvScanner::next_record() {
  while (pos_ < source_.size()) {
    std::string_view data(buffer_.data() + (pos_ - buffer_offset_),
                          static_cast<size_t>(buffer_end_ - pos_));
    const bool at_end = buffer_end_ == source_.size();
    if (!data.empty() || at_end) {
      CsvSplitResult split = split_csv_record(data, at_end, record_);
      if (split.outcome == CsvSplit::kRecord) {
        record_offset_ = pos_;
        pos_ += split.length;
        return true;
      }
      if (split.outcome == CsvSplit::kError) fail(pos_ + split.error_at, split.error);
    }
    refill();
    check_utf8(buffer_end_ == source_.size());
  }
  return false;
}

std::vector<Column> CsvScanner::read_header() {
  if (!next_record()) fail(text_start_, "no header line");
  for (size_t i = 0; i < record_.cells.size(); ++i) {
    const uint64_t at = record_offset_ + record_.cells[i].start;
    const std::string text(record_.text(i, scratch_));
    const size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) {
      fail(at, "header cell \"" + text + "\" is not name:type");
    }
    std::string_view type_text = std::string_view(text).substr(colon + 1);
    std::optional<CsvColumnType> type = parse_csv_column_type(type_text);
    if (!type) {
      fail(at,
           (is_csv_type_word(type_text) ? "bad size in column type \"" : "unknown column type \"") +
               std::string(type_text) + "\"");
    }
    Column column{platform::utf8_to_utf16(text.substr(0, colon)), type->type, type->size};
    for (const Column& other : columns_) {
      if (same_column_name(other.name, column.name)) {
        fail(at, "duplicate column name \"" + text.substr(0, colon) + "\"");
      }
    }
    columns_.push_back(std::move(column));
  }
  return columns_;
}

bool CsvScanner::next_row(uint64_t& offset, std::vector<Variant>* values) {
  if (!next_record()) return false;
  offset = record_offset_;
  const std::vector<CsvCell>& cells = record_.cells;
  if (cells.size() != columns_.size()) {
    const size_t at =
        cells.size() > columns_.size() ? cells[columns_.size()].start : record_.bytes.size();
    fail(record_offset_ + at, format_message("%d cells where the header has %d",
                                             {static_cast<int64_t>(cells.size()),
                                              static_cast<int64_t>(columns_.size())}));
  }
  if (values != nullptr) values->assign(columns_.size(), Variant::null());
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (record_.is_null(i)) continue;
    const Column& column = columns_[i];
    // Any text is a valid text value: its UTF-8 is checked already.
    if (values == nullptr && column_kind(column.type) == Variant::Kind::String) continue;
    std::string_view text = record_.text(i, scratch_);
    // Without `values` the value is only checked, not made.
    std::optional<Variant> value;
    if (values != nullptr) {
      value = parse_csv_value(text, column.type);
    } else if (is_valid_csv_value(text, column.type)) {
      continue;
    }
    if (!value) {
      fail(record_offset_ + cells[i].start,
           "\"" + std::string(text) + "\" is not a valid " + csv_type_name(column.type) +
               " value for column \"" + platform::utf16_to_utf8(column.name) + "\"");
    }
    (*values)[i] = std::move(*value);
  }
  return true;
}

}  // namespace pharmex::memhost
