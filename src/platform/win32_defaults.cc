// The defaults of the process-wide services on Windows: the one place that
// chooses them in a Windows build (core/service.h), in place of
// posix_defaults.cc.
#include <windows.h>

#include "core/regional_settings.h"
#include "core/service.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "platform/locale_settings.h"
#include "platform/settings_store.h"
#include "platform/text_codec.h"
#include "platform/toolkit.h"
#include "platform/win32_registry_store.h"
#include "platform/win32_toolkit.h"

namespace pharmex {

template <>
std::shared_ptr<platform::Clock> Service<platform::Clock>::make_default() {
  return borrow(platform::system_clock());
}

template <>
std::shared_ptr<platform::FileSystem> Service<platform::FileSystem>::make_default() {
  return borrow(platform::win32_file_system());
}

// The dialog is a real window in the host's message loop; a program may
// still answer it (pharmex/dialog_script.h).
template <>
std::shared_ptr<platform::Toolkit> Service<platform::Toolkit>::make_default() {
  return std::make_shared<platform::Win32Toolkit>();
}

// The registry's current-user hive, where the host keeps its key.
template <>
std::shared_ptr<platform::SettingsStore> Service<platform::SettingsStore>::make_default() {
  return std::make_shared<platform::Win32RegistryStore>();
}

// The user's regional settings (GetLocaleInfoEx).
template <>
std::shared_ptr<const RegionalSettings> Service<const RegionalSettings>::make_default() {
  return std::make_shared<const RegionalSettings>(platform::regional_settings_from_environment());
}

// The system's ANSI and OEM code pages, from the library's tables or the
// system's own; a system whose code pages are not single-byte (Chinese,
// Japanese, Korean) keeps the pair the library was made for, 1251 and 866.
template <>
std::shared_ptr<const platform::TextCodec> Service<const platform::TextCodec>::make_default() {
  int ansi = static_cast<int>(::GetACP());
  int oem = static_cast<int>(::GetOEMCP());
  if (platform::CodePage::find(ansi) == nullptr || platform::CodePage::find(oem) == nullptr) {
    ansi = 1251;
    oem = 866;
  }
  return std::make_shared<const platform::TextCodec>(ansi, oem);
}

}  // namespace pharmex
