#include "show_cells.h"

#include <cmath>
#include <optional>

#include "core/date_time.h"
#include "core/error.h"
#include "core/number_format.h"
#include "platform/text_codec.h"

namespace pharmex::cli {

using dbf::TDbfFieldLayer;

namespace {

std::string_view Trim(std::string_view text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string_view::npos) return {};
  size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}

// A JSON number token exactly as stored, when the stored text is one.
bool IsJsonNumber(std::string_view text) {
  size_t i = 0;
  auto digits = [&] {
    size_t start = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
      ++i;
    return i > start;
  };
  if (i < text.size() && text[i] == '-') ++i;
  if (i < text.size() && text[i] == '0' && i + 1 < text.size() && text[i + 1] >= '0' &&
      text[i + 1] <= '9') {
    return false;
  }
  if (!digits()) return false;
  if (i < text.size() && text[i] == '.') {
    ++i;
    if (!digits()) return false;
  }
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    if (!digits()) return false;
  }
  return i == text.size();
}

Cell NumberCell(std::string_view stored) {
  if (stored.empty()) return {"", Cell::kNull};
  if (IsJsonNumber(stored)) return {std::string(stored), Cell::kNumber};
  std::optional<double> value = parse_number(stored, '.');
  if (value && std::isfinite(*value)) return {format_general(*value, '.'), Cell::kNumber};
  return {Utf8(stored), Cell::kString};
}

Cell DateCell(std::string_view stored) {
  if (stored.empty()) return {"", Cell::kNull};
  if (stored.size() == 8 && stored.find_first_not_of("0123456789") == std::string_view::npos) {
    std::string iso(stored.substr(0, 4));
    iso.append("-").append(stored.substr(4, 2)).append("-").append(stored.substr(6, 2));
    return {iso, Cell::kString};
  }
  return {Utf8(stored), Cell::kString};
}

Cell LogicalCell(std::string_view stored) {
  if (stored.empty() || stored == "?") return {std::string(stored), Cell::kNull};
  bool value = std::string_view("TtYyJj").find(stored[0]) != std::string_view::npos;
  return {value ? "T" : "F", Cell::kBool};
}

// A memo in the aligned text form: at most kShownMemo characters, then "...".
constexpr size_t kShownMemo = 60;

std::string Shortened(std::string_view utf8) {
  size_t characters = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && ++characters > kShownMemo) {
      return std::string(utf8.substr(0, i)) + "...";
    }
  }
  return std::string(utf8);
}

void AppendHex(std::string& out, unsigned char code) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  out.append("\\x");
  out.push_back(kDigits[code >> 4]);
  out.push_back(kDigits[code & 0x0F]);
}

}  // namespace

std::string Utf8(std::string_view ansi) {
  return platform::text_codec().ansi_to_utf8(ansi);
}

std::string Escaped(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c == '\\') {
      out.append("\\\\");
    } else if (c == '\t') {
      out.append("\\t");
    } else if (c == '\n') {
      out.append("\\n");
    } else if (c == '\r') {
      out.append("\\r");
    } else if (c < 0x20 || c == 0x7F) {
      AppendHex(out, c);
    } else if (c == 0xC2 && i + 1 < utf8.size() &&
               static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
      AppendHex(out, static_cast<unsigned char>(utf8[++i]));  // U+0080 ... U+009F
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

// The B fields of a 0x30 table hold binary numbers, not memo blocks.
bool IsMemoField(const TDbfFieldLayer& table, int field) {
  const char type = table.Field(field).type;
  return type == 'M' || type == 'G' || (type == 'B' && !table.BinaryNumber(field));
}

bool HasMemoFields(const TDbfFieldLayer& table) {
  for (int i = 0; i < table.FieldCount(); ++i) {
    if (IsMemoField(table, i)) return true;
  }
  return false;
}

bool RightAligned(const TDbfFieldLayer& table, int field) {
  if (IsMemoField(table, field)) return false;
  return table.BinaryNumber(field) ||
         std::string_view("NF").find(table.Field(field).type) != std::string_view::npos;
}

std::vector<Cell> RecordCells::Read(TDbfFieldLayer& table, int32_t record) {
  std::vector<Cell> cells;
  cells.reserve(static_cast<size_t>(table.FieldCount()));
  for (int i = 0; i < table.FieldCount(); ++i)
    cells.push_back(FieldCell(table, i, record));
  return cells;
}

Cell RecordCells::FieldCell(TDbfFieldLayer& table, int field, int32_t record) {
  if (IsMemoField(table, field)) return MemoCell(table, field, record);
  if (table.BinaryNumber(field)) {
    const double value = table.GetNumber(field);
    if (table.Field(field).type != 'T') return {format_general(value, '.'), Cell::kNumber};
    if (value == 0) return {"", Cell::kNull};
    std::optional<std::string> stamp = format_date_time(value, "yyyy-mm-dd hh:nn:ss");
    return {stamp.value_or(format_general(value, '.')), Cell::kString};
  }
  std::string_view stored = Trim(table.GetFieldText(field));
  switch (table.Field(field).type) {
    case 'C':
      table.GetString(field, true, scratch_);
      return {Utf8(scratch_), Cell::kString};
    case 'N':
    case 'F':
      return NumberCell(stored);
    case 'D':
      return DateCell(stored);
    case 'L':
      return LogicalCell(stored);
    default:
      return {Utf8(stored), Cell::kString};
  }
}

Cell RecordCells::MemoCell(TDbfFieldLayer& table, int field, int32_t record) {
  try {
    const int64_t block = table.GetInteger(field);
    if (block == 0) return {"", Cell::kNull};
    std::string memo = table.Memo().ReadMemo(block);
    if (table.Field(field).type != 'M')
      return {std::to_string(memo.size()) + " bytes", Cell::kString};
    table.OemToAnsi(memo);
    std::string text = Utf8(memo);
    return {short_memos_ ? Shortened(text) : text, Cell::kString};
  } catch (const Error& e) {
    problems_.emplace(std::pair{record, field}, "record " + std::to_string(record) + ", field " +
                                                    table.Field(field).name + ": " + e.what());
    return {"<bad memo>", Cell::kNull};
  }
}

bool RecordCells::ReportProblems(std::ostream& err) const {
  for (const auto& [where, message] : problems_)
    err << "pharmex show: " << Utf8(message) << '\n';
  return !problems_.empty();
}

}  // namespace pharmex::cli
