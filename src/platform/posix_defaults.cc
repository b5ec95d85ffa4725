// The services a Linux build starts with.
#include "platform/file_settings_store.h"
#include "platform/platform_defaults.h"

namespace pharmex::platform {

FileSystem& native_file_system() {
  return posix_file_system();
}

std::shared_ptr<SettingsStore> native_settings_store() {
  return std::make_shared<FileSettingsStore>(FileSettingsStore::default_root());
}

std::unique_ptr<TextCodec> native_text_codec() {
  return std::make_unique<TextCodec>(1251, 866);
}

}  // namespace pharmex::platform
