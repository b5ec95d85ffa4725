// What each platform's build plugs into the library's process-wide services
// when nobody replaced them: the real files, the per-user settings store and
// the code pages of the system. One implementation per platform
// (posix_defaults.cc, win32_defaults.cc), chosen by the build; the services
// themselves (file_system.h, settings_store.h, text_codec.h) only ask here.
#pragma once

#include <memory>

#include "platform/file_system.h"
#include "platform/settings_store.h"
#include "platform/text_codec.h"

namespace pharmex::platform {

// The real files: the POSIX backend on Linux, the Win32 backend on Windows.
FileSystem& native_file_system();

// The current user's settings store: the file store under
// FileSettingsStore::default_root() on Linux, the registry's current-user
// hive on Windows. Made when first asked for.
std::shared_ptr<SettingsStore> native_settings_store();

// The ANSI/OEM pair: 1251/866 on Linux, the system's ANSI and OEM code pages
// (GetACP, GetOEMCP) on Windows.
std::unique_ptr<TextCodec> native_text_codec();

}  // namespace pharmex::platform
