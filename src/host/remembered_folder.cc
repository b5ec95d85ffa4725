#include "host/remembered_folder.h"

#include <memory>

#include "core/error.h"
#include "platform/paths.h"
#include "platform/settings_store.h"

namespace pharmex::host {

std::string read_remembered_folder(std::string_view value_name) {
  std::shared_ptr<platform::SettingsStore> store = platform::settings_store();
  return store->read_string(platform::kHostSettingsKey, value_name);
}

std::string folder_of(std::string_view path) {
  return platform::extract_file_dir(path);
}

std::string folder_with_separator(std::string_view path) {
  return std::string(platform::extract_file_path(path));
}

void remember_folder(std::string_view value_name, std::string_view folder) {
  std::shared_ptr<platform::SettingsStore> store = platform::settings_store();
  try {
    store->write_string(platform::kHostSettingsKey, value_name, folder);
  } catch (const SettingsError&) {
    // Asked after the failure, so a key removed meanwhile counts as missing.
    if (!store->key_exists(platform::kHostSettingsKey)) return;
    throw;
  }
}

void remember_folder_of(std::string_view value_name, std::string_view path) {
  remember_folder(value_name, folder_of(path));
}

}  // namespace pharmex::host
