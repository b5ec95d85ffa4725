#include "host/remembered_folders.h"

#include "core/error.h"
#include "platform/paths.h"

namespace pharmex::host {

std::string folder_of(std::string_view path) {
  return platform::extract_file_dir(path);
}

std::string folder_with_separator(std::string_view path) {
  return std::string(platform::extract_file_path(path));
}

std::shared_ptr<platform::SettingsStore> RememberedFolders::store() const {
  return store_ ? store_ : platform::settings_store();
}

std::string RememberedFolders::read(std::string_view value_name) const {
  return store()->read_string(platform::kHostSettingsKey, value_name);
}

void RememberedFolders::remember(std::string_view value_name, std::string_view folder) const {
  std::shared_ptr<platform::SettingsStore> target = store();
  try {
    target->write_string(platform::kHostSettingsKey, value_name, folder);
  } catch (const SettingsError&) {
    // Asked after the failure, so a key removed meanwhile counts as missing.
    if (!target->key_exists(platform::kHostSettingsKey)) return;
    throw;
  }
}

void RememberedFolders::remember_folder_of(std::string_view value_name,
                                           std::string_view path) const {
  remember(value_name, folder_of(path));
}

}  // namespace pharmex::host
