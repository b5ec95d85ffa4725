// The settings store on Windows: the registry's current-user hive
// (HKEY_CURRENT_USER), where the host keeps "Software\kestrova".
//
// String values are REG_SZ, written and read as UTF-16 through the process's
// code pages (so the ANSI text of a Cyrillic folder comes back byte for
// byte); DWORD, QWORD and binary values keep their registry types, any other
// type its code and raw bytes. The library's own code opens keys and never
// creates them; create_key is for hosts and tests.
//
// What the registry decides, unlike the file store of Linux: key names, like
// value names, are matched without regard to case, and the order in which a
// key's values are listed is the registry's own.
#pragma once

#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace pharmex::platform {

class Win32RegistryStore : public EditableSettingsStore {
 public:
  // Keys are taken under HKEY_CURRENT_USER, or under its subkey `prefix`
  // when one is given (tests keep their keys apart so).
  explicit Win32RegistryStore(std::string prefix = {});

  bool key_exists(std::string_view key) override;
  void create_key(std::string_view key) override;
  std::optional<SettingsValue> read_value(std::string_view key, std::string_view name) override;
  std::vector<NamedSettingsValue> read_values(std::string_view key) override;
  void write_value(std::string_view key, std::string_view name,
                   const SettingsValue& value) override;
  bool delete_value(std::string_view key, std::string_view name) override;

  // Removes the prefix key with everything under it (tests, when done).
  bool remove_prefix_tree();

 private:
  // The key's name under HKEY_CURRENT_USER as UTF-16; "" for a name that
  // is_valid_key_name rejects.
  std::wstring full_name(std::string_view key) const;

  std::string prefix_;
};

}  // namespace pharmex::platform
