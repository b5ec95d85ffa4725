// The services a Windows build starts with.
#include <windows.h>

#include "platform/platform_defaults.h"
#include "platform/win32_registry_store.h"

namespace pharmex::platform {

FileSystem& native_file_system() {
  return win32_file_system();
}

std::shared_ptr<SettingsStore> native_settings_store() {
  return std::make_shared<Win32RegistryStore>();
}

std::unique_ptr<TextCodec> native_text_codec() {
  // The system's pair, from the library's tables or the system's own; a
  // system whose code pages are not single-byte (Chinese, Japanese, Korean)
  // keeps the pair the library was made for.
  int ansi = static_cast<int>(::GetACP());
  int oem = static_cast<int>(::GetOEMCP());
  if (CodePage::find(ansi) == nullptr || CodePage::find(oem) == nullptr) {
    ansi = 1251;
    oem = 866;
  }
  return std::make_unique<TextCodec>(ansi, oem);
}

}  // namespace pharmex::platform
