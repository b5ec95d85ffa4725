// Remembered folders: the last folder used for each document kind, kept as a
// string value of the host's key "Software\kestrova" in the per-user settings
// store (platform/settings_store.h). The key belongs to the host: the library
// opens it and never creates it.
//
// Folder forms. A routine remembers the folder of the path it used: the path
// up to its last "/", without that "/" unless it is the path's first
// character ("/out/a.dbf" gives "/out", "/a.dbf" gives "/", "a.dbf" gives "").
// The order dialog remembers the chosen path up to and including its last "/"
// ("/out/" for "/out/a.dbf") just before its routine runs.
#pragma once

#include <string>
#include <string_view>

namespace pharmex::host {

// The value's folder; "" when the key or the value is missing. Throws
// SettingsError("Invalid data type for '%s'") for a value that is no text.
std::string read_remembered_folder(std::string_view value_name);

// The folder a routine remembers for a path (see above).
std::string folder_of(std::string_view path);
// The path up to and including its last "/" ("" when it has none).
std::string folder_with_separator(std::string_view path);

// Stores a folder text under the value. A missing key is no failure: the
// export or import that asks has done its work, so the folder is simply not
// remembered. Any other failure of the store is raised
// (SettingsError("Failed to set data for '%s'")).
void remember_folder(std::string_view value_name, std::string_view folder);
// remember_folder(value_name, folder_of(path)): what the routines call.
void remember_folder_of(std::string_view value_name, std::string_view path);

}  // namespace pharmex::host
