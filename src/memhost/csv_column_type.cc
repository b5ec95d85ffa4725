#include "memhost/csv_column_type.h"

#include <charconv>

namespace pharmex::memhost {

namespace {

enum class SizeRule { None, Required, Optional };

struct TypeEntry {
  std::string_view name;
  TFieldType type;
  SizeRule size;
};

constexpr TypeEntry kTypes[] = {
    {"string", ftString, SizeRule::Required},
    {"fixedchar", ftFixedChar, SizeRule::Required},
    {"widestring", ftWideString, SizeRule::Required},
    {"smallint", ftSmallint, SizeRule::None},
    {"word", ftWord, SizeRule::None},
    {"integer", ftInteger, SizeRule::None},
    {"largeint", ftLargeint, SizeRule::None},
    {"autoinc", ftAutoInc, SizeRule::None},
    {"boolean", ftBoolean, SizeRule::None},
    {"float", ftFloat, SizeRule::None},
    {"currency", ftCurrency, SizeRule::None},
    {"bcd", ftBCD, SizeRule::None},
    {"fmtbcd", ftFMTBcd, SizeRule::None},
    {"date", ftDate, SizeRule::None},
    {"time", ftTime, SizeRule::None},
    {"datetime", ftDateTime, SizeRule::None},
    {"memo", ftMemo, SizeRule::Optional},
    {"widememo", ftWideMemo, SizeRule::Optional},
    {"blob", ftBlob, SizeRule::Optional},
};

const TypeEntry* find_type(int type) {
  for (const TypeEntry& entry : kTypes) {
    if (entry.type == type) return &entry;
  }
  return nullptr;
}

bool equals_ascii_lower(std::string_view text, std::string_view lower_word) {
  if (text.size() != lower_word.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != lower_word[i]) return false;
  }
  return true;
}

// "(N)" with N of 1 to 10 digits, at most 2147483647.
std::optional<int32_t> parse_size(std::string_view text) {
  if (text.size() < 3 || text.front() != '(' || text.back() != ')') return std::nullopt;
  std::string_view digits = text.substr(1, text.size() - 2);
  if (digits.empty() || digits.find_first_not_of("0123456789") != digits.npos) return std::nullopt;
  int32_t size = 0;
  auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), size);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return size;
}

}  // namespace

std::optional<CsvColumnType> parse_csv_column_type(std::string_view text) {
  size_t open = text.find('(');
  std::string_view word = text.substr(0, open);
  for (const TypeEntry& entry : kTypes) {
    if (!equals_ascii_lower(word, entry.name)) continue;
    if (open == text.npos) {
      if (entry.size == SizeRule::Required) return std::nullopt;
      return CsvColumnType{entry.type, 0};
    }
    if (entry.size == SizeRule::None) return std::nullopt;
    std::optional<int32_t> size = parse_size(text.substr(open));
    if (!size) return std::nullopt;
    return CsvColumnType{entry.type, *size};
  }
  return std::nullopt;
}

bool is_csv_type_word(std::string_view text) {
  std::string_view word = text.substr(0, text.find('('));
  for (const TypeEntry& entry : kTypes) {
    if (equals_ascii_lower(word, entry.name)) return true;
  }
  return false;
}

std::optional<std::string> format_csv_column_type(int type, int32_t size) {
  const TypeEntry* entry = find_type(type);
  if (entry == nullptr) return std::nullopt;
  std::string text(entry->name);
  bool with_size =
      entry->size == SizeRule::Required || (entry->size == SizeRule::Optional && size != 0);
  if (with_size) text += "(" + std::to_string(size < 0 ? 0 : size) + ")";
  return text;
}

std::string csv_type_name(TFieldType type) {
  const TypeEntry* entry = find_type(type);
  if (entry == nullptr) return "type " + std::to_string(static_cast<int>(type));
  return std::string(entry->name);
}

}  // namespace pharmex::memhost
