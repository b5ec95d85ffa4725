#include "memhost/csv_record.h"

#include <array>

namespace pharmex::memhost {

namespace {

// The bytes that end or break an unquoted cell.
constexpr std::array<bool, 256> kSpecial = [] {
  std::array<bool, 256> special{};
  special[','] = special['\n'] = special['\r'] = special['"'] = true;
  return special;
}();

CsvSplitResult need_more() {
  return {CsvSplit::kNeedMore, 0, 0, ""};
}

CsvSplitResult error(size_t at, const char* what) {
  return {CsvSplit::kError, 0, at, what};
}

}  // namespace

std::string_view CsvRecord::text(size_t index, std::string& scratch) const {
  const CsvCell& cell = cells[index];
  std::string_view raw = bytes.substr(cell.begin, cell.end - cell.begin);
  if (!cell.doubled_quotes) return raw;
  scratch.clear();
  for (size_t i = 0; i < raw.size(); ++i) {
    scratch.push_back(raw[i]);
    if (raw[i] == '"') ++i;  // the second quote of a pair
  }
  return scratch;
}

CsvSplitResult split_csv_record(std::string_view data, bool at_end, CsvRecord& record) {
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
        while (pos < n && !kSpecial[static_cast<unsigned char>(data[pos])])
          ++pos;
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
