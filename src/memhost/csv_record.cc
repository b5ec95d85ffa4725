#include "memhost/csv_record.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pharmex::memhost {

namespace {

// The bytes that end or break an unquoted cell.
constexpr std::array<bool, 256> kSpecial = [] {
  std::array<bool, 256> special{};
  special[','] = special['\n'] = special['\r'] = special['"'] = true;
  return special;
}();

// A word with the high bit set in each byte of `word` that equals `c`, and
// maybe in bytes above the first such byte (the borrow runs upwards): the
// lowest flagged byte is always right.
uint64_t bytes_equal(uint64_t word, unsigned char c) {
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  const uint64_t x = word ^ (kOnes * c);
  return (x - kOnes) & ~x & (kOnes << 7);
}

// The special bytes among the sixteen at `block` (a bit for each, from the
// lowest), or among the `count` bytes there when fewer.
unsigned special_bytes(const char* block, size_t count) {
#if defined(__SSE2__)
  if (count >= 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block));
    const __m128i found = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(',')),
                                                    _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))),
                                       _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')),
                                                    _mm_cmpeq_epi8(bytes, _mm_set1_epi8('"'))));
    return static_cast<unsigned>(_mm_movemask_epi8(found));
  }
#endif
  unsigned mask = 0;
  for (size_t i = 0; i < std::min<size_t>(count, 16); ++i) {
    if (kSpecial[static_cast<unsigned char>(block[i])]) mask |= 1u << i;
  }
  return mask;
}

// The first special byte at or after `pos`, or data.size(); sixteen bytes
// at a time with SSE2, else eight where the machine is little-endian.
size_t skip_plain_text(std::string_view data, size_t pos) {
  const size_t n = data.size();
#if defined(__SSE2__)
  while (n - pos >= 16) {
    const unsigned mask = special_bytes(data.data() + pos, 16);
    if (mask != 0) return pos + static_cast<size_t>(std::countr_zero(mask));
    pos += 16;
  }
#endif
  if constexpr (std::endian::native == std::endian::little) {
    while (n - pos >= 8) {
      uint64_t word = 0;
      std::memcpy(&word, data.data() + pos, sizeof word);
      const uint64_t found = bytes_equal(word, ',') | bytes_equal(word, '\n') |
                             bytes_equal(word, '\r') | bytes_equal(word, '"');
      if (found != 0) return pos + static_cast<size_t>(std::countr_zero(found) / 8);
      pos += 8;
    }
  }
  while (pos < n && !kSpecial[static_cast<unsigned char>(data[pos])])
    ++pos;
  return pos;
}

// The usual record: unquoted cells up to a line break within `data`. Goes
// over the special bytes sixteen at a time, a cell at each comma; true with
// the record split, or false at anything else (a quote, a CR that is not
// part of CR LF, no line break at hand), which is left to the general way.
bool split_plain_record(std::string_view data, CsvRecord& record, size_t& length) {
  const char* bytes = data.data();
  const size_t n = data.size();
  size_t cell_begin = 0;
  for (size_t block = 0; block < n; block += 16) {
    for (unsigned mask = special_bytes(bytes + block, n - block); mask != 0; mask &= mask - 1) {
      const size_t at = block + static_cast<size_t>(std::countr_zero(mask));
      const char c = bytes[at];
      if (c == ',' || c == '\n' || (c == '\r' && at + 1 < n && bytes[at + 1] == '\n')) {
        record.cells.push_back(CsvCell{cell_begin, cell_begin, at, false, false});
        cell_begin = at + 1;
        if (c == ',') continue;
        record.bytes = data.substr(0, at);
        length = at + (c == '\r' ? 2 : 1);
        return true;
      }
      return false;
    }
  }
  return false;
}

CsvSplitResult need_more() {
  return {CsvSplit::kNeedMore, 0, 0, ""};
}

CsvSplitResult error(size_t at, const char* what) {
  return {CsvSplit::kError, 0, at, what};
}

}  // namespace

std::string_view CsvRecord::unquoted_text(const CsvCell& cell, std::string& scratch) const {
  std::string_view raw = bytes.substr(cell.begin, cell.end - cell.begin);
  scratch.clear();
  for (size_t i = 0; i < raw.size(); ++i) {
    scratch.push_back(raw[i]);
    if (raw[i] == '"') ++i;  // the second quote of a pair
  }
  return scratch;
}

CsvSplitResult split_csv_record(std::string_view data, bool at_end, CsvRecord& record) {
  record.cells.clear();
  if (size_t length = 0; split_plain_record(data, record, length)) {
    return {CsvSplit::kRecord, length, 0, ""};
  }
  record.cells.clear();
  const size_t n = data.size();
  size_t pos = 0;
  while (true) {
    CsvCell cell;
    cell.start = pos;
    if (pos < n && data[pos] == '"') {
      cell.quoted = true;
      cell.begin = ++pos;
      while (true) {
        size_t quote = data.find('"', pos);
        if (quote == std::string_view::npos) {
          return at_end ? error(cell.start, "unterminated quoted cell") : need_more();
        }
        if (quote + 1 == n && !at_end) return need_more();  // "" or the closing quote?
        if (quote + 1 < n && data[quote + 1] == '"') {
          cell.doubled_quotes = true;
          pos = quote + 2;
          continue;
        }
        cell.end = quote;
        pos = quote + 1;
        break;
      }
      // After the closing quote: a comma, a line break or the end.
      if (pos == n) {
        if (!at_end) return need_more();
      } else if (data[pos] == '\r') {
        if (pos + 1 == n && !at_end) return need_more();
        if (pos + 1 == n || data[pos + 1] != '\n') {
          return error(pos, "unexpected character after closing quote");
        }
      } else if (data[pos] != ',' && data[pos] != '\n') {
        return error(pos, "unexpected character after closing quote");
      }
    } else {
      cell.begin = pos;
      while (true) {
        pos = skip_plain_text(data, pos);
        if (pos == n) {
          if (!at_end) return need_more();
          break;
        }
        const char c = data[pos];
        if (c == '"') return error(pos, "quote inside an unquoted cell");
        if (c == '\r') {
          if (pos + 1 == n) {
            if (!at_end) return need_more();
            ++pos;  // a CR at the very end is text
            continue;
          }
          if (data[pos + 1] != '\n') {
            ++pos;  // a CR alone is text
            continue;
          }
        }
        break;  // a comma or a line break
      }
      cell.end = pos;
    }
    record.cells.push_back(cell);
    if (pos < n && data[pos] == ',') {
      ++pos;
      continue;
    }
    record.bytes = data.substr(0, pos);
    size_t length = pos == n ? n : pos + (data[pos] == '\r' ? 2 : 1);
    return {CsvSplit::kRecord, length, 0, ""};
  }
}

}  // namespace pharmex::memhost
