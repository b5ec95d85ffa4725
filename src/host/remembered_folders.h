// Remembered folders: the last folder used for each document kind, kept as a
// string value of the host's key "Software\kestrova" in the per-user settings
// store (platform/settings_store.h). The key belongs to the host: the library
// opens it and never creates it.
//
// Folder forms. A routine remembers the folder of the path it used: the path
// up to its last separator, without it unless it ends the path's root
// ("/out/a.dbf" gives "/out", "/a.dbf" gives "/", "a.dbf" gives "";
// platform::extract_file_dir, which on Windows makes "C:\dir" of
// "C:\dir\a.dbf" and "C:\" of "C:\a.dbf"). The order dialog remembers the
// chosen path up to and including its last separator ("/out/" for
// "/out/a.dbf") just before its routine runs.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/settings_store.h"

namespace pharmex::host {

// The folder a routine remembers for a path (see above).
std::string folder_of(std::string_view path);
// The path up to and including its last "/" ("" when it has none).
std::string folder_with_separator(std::string_view path);

// The store the folders are read from and written to: a value the run
// context carries. By default it is the process's settings store, looked up
// each time a folder is read or stored (so a store the host sets later is
// the one used); a store given here is used instead.
class RememberedFolders {
 public:
  RememberedFolders() = default;
  explicit RememberedFolders(std::shared_ptr<platform::SettingsStore> store)
      : store_(std::move(store)) {}

  // The value's folder; "" when the key or the value is missing. Throws
  // SettingsError("Invalid data type for '%s'") for a value that is no text.
  std::string read(std::string_view value_name) const;

  // Stores a folder text under the value. A missing key is no failure: the
  // export or import that asks has done its work, so the folder is simply
  // not remembered. Any other failure of the store is raised
  // (SettingsError("Failed to set data for '%s'")).
  void remember(std::string_view value_name, std::string_view folder) const;
  // remember(value_name, folder_of(path)): what the routines call.
  void remember_folder_of(std::string_view value_name, std::string_view path) const;

 private:
  std::shared_ptr<platform::SettingsStore> store() const;

  std::shared_ptr<platform::SettingsStore> store_;  // null: the process's store
};

}  // namespace pharmex::host
