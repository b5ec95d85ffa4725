#include "platform/file_settings_store_format.h"

#include <algorithm>
#include <cstdint>

#include "core/error.h"
#include "platform/text_codec.h"

namespace pharmex::platform {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

bool is_blank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view trim(std::string_view text) {
  while (!text.empty() && is_blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && is_blank(text.back()))
    text.remove_suffix(1);
  return text;
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool is_utf8(std::string_view text) {
  return utf16_to_utf8(utf8_to_utf16(text)) == text;
}

// Two UTF-8 names are the same when equal, or when both have an ANSI form
// and those are the same name. A name the code page cannot spell is matched
// only by its exact bytes.
bool same_name(std::string_view a, std::string_view b) {
  if (a == b) return true;
  const TextCodec& codec = text_codec();
  std::string ansi_a = codec.utf8_to_ansi(a);
  std::string ansi_b = codec.utf8_to_ansi(b);
  return same_value_name(ansi_a, ansi_b) && codec.ansi_to_utf8(ansi_a) == a &&
         codec.ansi_to_utf8(ansi_b) == b;
}

// Characters written inside quotes as "\" and a letter, and those letters.
constexpr std::string_view kEscaped("\\\"\0\r\n", 5);
constexpr std::string_view kEscapeLetters = "\\\"0rn";

std::string quote(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    size_t escape = kEscaped.find(c);
    if (escape != std::string_view::npos) {
      out.push_back('\\');
      c = kEscapeLetters[escape];
    }
    out.push_back(c);
  }
  out.push_back('"');
  return out;
}

std::string hex_number(uint64_t value, int digits) {
  std::string out(static_cast<size_t>(digits), '0');
  for (int i = digits - 1; i >= 0; --i, value >>= 4)
    out[static_cast<size_t>(i)] = kHexDigits[value & 0xF];
  return out;
}

std::string hex_bytes(std::string_view bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) out.push_back(',');
    out += hex_number(static_cast<unsigned char>(bytes[i]), 2);
  }
  return out;
}

std::string format_data(const SettingsValue& value) {
  switch (value.type) {
    case SettingsType::kString:
      return quote(value.data);
    case SettingsType::kDword:
      return "dword:" + hex_number(value.number & 0xFFFFFFFFu, 8);
    case SettingsType::kQword:
      return "qword:" + hex_number(value.number, 16);
    case SettingsType::kBinary:
      return "hex:" + hex_bytes(value.data);
    case SettingsType::kOther:
      break;
  }
  std::string code = hex_number(value.number, 8);
  code.erase(0, std::min(code.find_first_not_of('0'), code.size() - 1));
  return "hex(" + code + "):" + hex_bytes(value.data);
}

std::string format_value(const NamedSettingsValue& value) {
  return (value.name.empty() ? std::string("@") : quote(value.name)) + "=" +
         format_data(value.value);
}

uint64_t little_endian(std::string_view bytes) {
  uint64_t value = 0;
  for (size_t i = bytes.size(); i-- > 0;)
    value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  return value;
}

// The file's text as UTF-8: a byte-order mark is dropped, UTF-16LE converted.
// False when it is UTF-16 of an odd length.
bool decode_text(std::string_view bytes, std::string& text) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    text.assign(bytes.substr(3));
    return true;
  }
  if (bytes.substr(0, 2) != "\xFF\xFE") {
    text.assign(bytes);
    return true;
  }
  bytes.remove_prefix(2);
  if (bytes.size() % 2 != 0) return false;
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i)
    units[i] = static_cast<char16_t>(little_endian(bytes.substr(2 * i, 2)));
  text = utf16_to_utf8(units);
  return true;
}

}  // namespace

// Reads the lines of one file into a KeyFile. Each failure names the line.
class KeyFile::Parser {
 public:
  Parser(KeyFile& file, std::string_view file_name) : file_(file), file_name_(file_name) {}

  void run(std::string_view bytes) {
    std::string text;
    if (!decode_text(bytes, text)) fail("UTF-16 text of an odd length");
    split(text);
    size_t i = 0;
    while (i < physical_.size() && trim(physical_[i]).empty())
      ++i;
    if (i == physical_.size()) return;  // an empty file: a key without values
    line_no_ = i + 1;
    std::string_view header = trim(physical_[i]);
    if (header != kHeader && header != kOldHeader)
      fail("expected \"" + std::string(kHeader) + "\"");
    for (++i; i < physical_.size();) {
      line_no_ = i + 1;
      Line line;
      line.text = physical_[i];
      std::string logical = physical_[i++];
      while (continues(logical) && i < physical_.size()) {
        logical.pop_back();
        logical += trim(physical_[i]);
        line.text += "\n" + physical_[i++];
      }
      if (!is_utf8(logical)) fail("not UTF-8 text");
      read_line(trim(logical), line);
    }
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    raise<SettingsError>("Damaged settings file %s, line %d: %s",
                         {file_name_, static_cast<int64_t>(line_no_), what});
  }

  void split(std::string_view text) {
    while (!text.empty()) {
      size_t end = text.find('\n');
      std::string_view line = text.substr(0, end);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      physical_.emplace_back(line);
      text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
  }

  static bool continues(std::string_view line) {
    std::string_view t = trim(line);
    return !t.empty() && t.back() == '\\' && t.front() != ';';
  }

  void read_line(std::string_view text, Line& line) {
    if (text.empty() || text.front() == ';') {
      line.in_key_section = in_key_section_;
    } else if (text.front() == '[') {
      if (text.back() != ']') fail("a key section without its closing \"]\"");
      std::string_view name = text.substr(1, text.size() - 2);
      seen_section_ = true;
      in_key_section_ = name.size() > kHive.size() && name[kHive.size()] == '\\' &&
                        same_name(name.substr(0, kHive.size()), kHive) &&
                        same_name(name.substr(kHive.size() + 1), file_.key_);
      line.in_key_section = in_key_section_;
    } else if (text.front() == '"' || text.front() == '@') {
      if (!seen_section_) fail("a value outside a key section");
      line.in_key_section = in_key_section_;
      if (in_key_section_) {
        read_value(text, line);
        if (Line* earlier = file_.find_line(line.value.name)) {
          earlier->value.value = line.value.value;  // the later line wins, as on import
          return;
        }
      }
    } else {
      fail("unrecognised line");
    }
    file_.lines_.push_back(std::move(line));
  }

  void read_value(std::string_view text, Line& line) {
    size_t pos = 0;
    if (text.front() == '@') {
      pos = 1;
    } else {
      line.value.name = read_quoted(text, pos);
    }
    while (pos < text.size() && is_blank(text[pos]))
      ++pos;
    if (pos == text.size() || text[pos] != '=') fail("expected \"=\" after the value name");
    std::string_view data = trim(text.substr(pos + 1));
    line.is_value = true;
    line.value.value = read_data(data);
  }

  SettingsValue read_data(std::string_view data) {
    if (!data.empty() && data.front() == '"') {
      size_t pos = 0;
      std::string value = read_quoted(data, pos);
      if (pos != data.size()) fail("text after the closing quote");
      return SettingsValue::string(value);
    }
    if (data.substr(0, 6) == "dword:") return SettingsValue::dword(read_number(data.substr(6), 8));
    if (data.substr(0, 6) == "qword:") return SettingsValue::qword(read_number(data.substr(6), 16));
    if (data.substr(0, 4) == "hex:") return SettingsValue::binary(read_bytes(data.substr(4)));
    if (data.substr(0, 4) == "hex(") {
      size_t close = data.find("):");
      if (close == std::string_view::npos) fail("expected \"):\" after the value type");
      auto code = static_cast<uint32_t>(read_number(data.substr(4, close - 4), 8));
      std::string bytes = read_bytes(data.substr(close + 2));
      return typed_bytes(code, bytes);
    }
    fail("unknown value type");
  }

  // Raw data of a "hex(N):" value: the types this store knows by name are
  // read as such; other types stay raw bytes.
  SettingsValue typed_bytes(uint32_t code, const std::string& bytes) {
    constexpr uint32_t kBinary = 3, kDword = 4, kQword = 0xB;
    if (code == kBinary) return SettingsValue::binary(bytes);
    if (code == kDword) {
      if (bytes.size() != 4) fail("a dword value needs 4 bytes");
      return SettingsValue::dword(static_cast<uint32_t>(little_endian(bytes)));
    }
    if (code == kQword) {
      if (bytes.size() != 8) fail("a qword value needs 8 bytes");
      return SettingsValue::qword(little_endian(bytes));
    }
    return SettingsValue::other(code, bytes);
  }

  std::string read_quoted(std::string_view text, size_t& pos) {
    std::string out;
    for (size_t i = pos + 1; i < text.size(); ++i) {
      char c = text[i];
      if (c == '"') {
        pos = i + 1;
        return out;
      }
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (++i == text.size()) break;
      size_t escape = kEscapeLetters.find(text[i]);
      if (escape == std::string_view::npos)
        fail("unknown escape \"\\" + std::string(1, text[i]) + "\" (write \\\\ for \"\\\")");
      out.push_back(kEscaped[escape]);
    }
    fail("unterminated quoted text");
  }

  uint64_t read_number(std::string_view digits, size_t max_digits) {
    const std::string expected =
        "a number of 1 to " + std::to_string(max_digits) + " hex digits expected";
    if (digits.empty() || digits.size() > max_digits) fail(expected);
    uint64_t value = 0;
    for (char c : digits) {
      int digit = hex_digit(c);
      if (digit < 0) fail(expected);
      value = (value << 4) | static_cast<uint64_t>(digit);
    }
    return value;
  }

  std::string read_bytes(std::string_view data) {
    std::string out;
    data = trim(data);
    while (!data.empty()) {
      size_t comma = data.find(',');
      std::string_view item = trim(data.substr(0, comma));
      if (item.size() != 2 || hex_digit(item[0]) < 0 || hex_digit(item[1]) < 0)
        fail("hex bytes separated by commas expected");
      out.push_back(static_cast<char>(hex_digit(item[0]) * 16 + hex_digit(item[1])));
      if (comma == std::string_view::npos) break;
      data.remove_prefix(comma + 1);
      if (trim(data).empty()) fail("hex bytes separated by commas expected");
    }
    return out;
  }

  KeyFile& file_;
  std::string_view file_name_;
  std::vector<std::string> physical_;
  size_t line_no_ = 1;
  bool seen_section_ = false;
  bool in_key_section_ = false;
};

KeyFile::KeyFile(std::string key) : key_(std::move(key)) {
  lines_.push_back(Line{});
  lines_.push_back(Line{section_line(), false, true, {}});
}

KeyFile KeyFile::parse(std::string key, std::string_view bytes, std::string_view file_name) {
  KeyFile file(std::move(key));
  file.lines_.clear();
  Parser(file, file_name).run(bytes);
  return file;
}

std::string KeyFile::section_line() const {
  return "[" + std::string(kHive) + "\\" + key_ + "]";
}

std::string KeyFile::serialize() const {
  std::string out(kHeader);
  out.push_back('\n');
  for (const Line& line : lines_) {
    out += line.is_value ? format_value(line.value) : line.text;
    out.push_back('\n');
  }
  return out;
}

KeyFile::Line* KeyFile::find_line(std::string_view name) {
  for (Line& line : lines_) {
    if (line.is_value && same_name(line.value.name, name)) return &line;
  }
  return nullptr;
}

const SettingsValue* KeyFile::find(std::string_view name) const {
  Line* line = const_cast<KeyFile*>(this)->find_line(name);
  return line ? &line->value.value : nullptr;
}

void KeyFile::set(std::string_view name, const SettingsValue& value) {
  if (Line* line = find_line(name)) {
    line->value.value = value;
    return;
  }
  Line added{std::string(), true, true, {std::string(name), value}};
  // After the last value of the key's section, else right after its section
  // line; a file without the section gets one at its end.
  size_t at = lines_.size();
  bool found = false;
  for (size_t i = lines_.size(); i-- > 0 && !found;) {
    const Line& line = lines_[i];
    found = line.in_key_section && (line.is_value || trim(line.text).substr(0, 1) == "[");
    if (found) at = i + 1;
  }
  if (!found) {
    const bool blank_before =
        !lines_.empty() && !lines_.back().is_value && trim(lines_.back().text).empty();
    if (!blank_before) lines_.push_back(Line{});
    lines_.push_back(Line{section_line(), false, true, {}});
    at = lines_.size();
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(added));
}

bool KeyFile::erase(std::string_view name) {
  Line* line = find_line(name);
  if (line == nullptr) return false;
  lines_.erase(lines_.begin() + (line - lines_.data()));
  return true;
}

std::vector<NamedSettingsValue> KeyFile::values() const {
  std::vector<NamedSettingsValue> out;
  for (const Line& line : lines_) {
    if (line.is_value) out.push_back(line.value);
  }
  return out;
}

}  // namespace pharmex::platform
