// The settings store on Linux: the current user's registry as a folder of
// files, one file per key (docs/settings_store.md).
//
// Key "Software\kestrova" is the file <root>/Software/kestrova.reg, a text in
// the form of a registry export (file_settings_store_format.h). The key exists
// exactly when its file exists. Readers take no lock: every write replaces the
// whole file by renaming a finished temporary file over it, so a reader sees
// either the old or the new file. Writers serialise on an exclusive flock of
// the key file, so writes from several processes at once each keep the
// others' values.
//
// Text in the files is UTF-8; the store converts names and string values from
// and to ANSI with the process's text codec.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/file_settings_store_format.h"
#include "platform/settings_store.h"

namespace pharmex::platform {

class FileSettingsStore : public EditableSettingsStore {
 public:
  // `root` is the folder of the key files, a native (UTF-8) path. It need
  // not exist before create_key makes the first key.
  explicit FileSettingsStore(std::string root);

  // The current user's folder: $PHARMEX_REGISTRY when set, else
  // $XDG_CONFIG_HOME/pharmex/registry (when absolute), else
  // $HOME/.config/pharmex/registry (the home folder of the user database when
  // HOME is unset). Throws SettingsError when there is no home folder at all.
  static std::string default_root();

  const std::string& root() const { return root_; }

  // The native path of a key's file; "" for a name that is_valid_key_name
  // rejects.
  std::string key_file(std::string_view key) const;

  bool key_exists(std::string_view key) override;
  void create_key(std::string_view key) override;
  std::optional<SettingsValue> read_value(std::string_view key, std::string_view name) override;
  std::vector<NamedSettingsValue> read_values(std::string_view key) override;
  void write_value(std::string_view key, std::string_view name,
                   const SettingsValue& value) override;
  bool delete_value(std::string_view key, std::string_view name) override;

 private:
  // The parsed file of a key; nothing when the key does not exist.
  std::optional<KeyFile> load(std::string_view key) const;
  // Creates one key's file when it is missing; its folder must exist.
  // Returns 0 or the errno of the failure.
  int create_one(std::string_view key, const std::string& path) const;
  // Locked read-modify-write of a key's file. `edit` returns whether it
  // changed the file; nothing when the key does not exist. A failing system
  // call throws SettingsError(`failure`) with `name`, the file and the reason.
  std::optional<bool> update(std::string_view key, std::string_view name, const char* failure,
                             const std::function<bool(KeyFile&)>& edit) const;

  std::string root_;
};

}  // namespace pharmex::platform
