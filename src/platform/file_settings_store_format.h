// The file of one key of FileSettingsStore (docs/settings_store.md), in the
// form of a registry export so that anyone who has seen one can read and edit
// it ("qword:" and the \0 \r \n escapes are this store's own).
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\kestrova]
//   "supplier_export_path"="/home/anna/out"
//   "count"=dword:0000001f
//   "stamp"=qword:00000000000f4240
//   "blob"=hex:01,ff,00
//   "expand"=hex(2):25,00,00,00
//   @="the key's default value"
//
// The file is UTF-8 (a byte-order mark is skipped; a UTF-16LE file with its
// mark, as regedit writes them, is read as well). Quoted names and texts
// escape "\" as \\ and '"' as \"; NUL, CR and LF, which a line cannot hold,
// are written \0, \r and \n. A line ending in "\" continues on the next
// (regedit wraps long hex data so). Lines starting with ";" are comments.
// Values are read from the key's own section; other sections, comments and
// blank lines are kept as they are when the file is rewritten.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/settings_store.h"

namespace pharmex::platform {

class KeyFile {
 public:
  static constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
  static constexpr std::string_view kOldHeader = "REGEDIT4";
  static constexpr std::string_view kHive = "HKEY_CURRENT_USER";

  // A file for the key holding no values. `key` is the key's name in UTF-8.
  explicit KeyFile(std::string key);

  // Parses a file's bytes. Throws SettingsError("Damaged settings file %s,
  // line %d: %s") naming `file_name` (ANSI), the line and what is wrong.
  static KeyFile parse(std::string key, std::string_view bytes, std::string_view file_name);

  // The file's text, UTF-8.
  std::string serialize() const;

  // Names and string values are UTF-8 here; names are matched without regard
  // to case.
  const SettingsValue* find(std::string_view name) const;
  void set(std::string_view name, const SettingsValue& value);
  bool erase(std::string_view name);
  std::vector<NamedSettingsValue> values() const;

 private:
  struct Line {
    std::string text;  // as read, for everything but this key's values
    bool is_value = false;
    bool in_key_section = false;  // the key's section line, or a line under it
    NamedSettingsValue value;     // when is_value
  };

  class Parser;

  std::string section_line() const;
  Line* find_line(std::string_view name);

  std::string key_;
  std::vector<Line> lines_;  // every line after the header
};

}  // namespace pharmex::platform
