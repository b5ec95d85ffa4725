// The defaults of the process-wide services on a POSIX system: the one place
// that chooses them (core/service.h). A port lists its own defaults source
// instead of this one.
#include "core/regional_settings.h"
#include "core/service.h"
#include "platform/clock.h"
#include "platform/file_settings_store.h"
#include "platform/file_system.h"
#include "platform/headless_toolkit.h"
#include "platform/locale_settings.h"
#include "platform/settings_store.h"
#include "platform/text_codec.h"
#include "platform/toolkit.h"

namespace pharmex {

template <>
std::shared_ptr<platform::Clock> Service<platform::Clock>::make_default() {
  return borrow(platform::system_clock());
}

template <>
std::shared_ptr<platform::FileSystem> Service<platform::FileSystem>::make_default() {
  return borrow(platform::posix_file_system());
}

// No graphical backend is built yet: the headless one serves the tool and
// the tests.
template <>
std::shared_ptr<platform::Toolkit> Service<platform::Toolkit>::make_default() {
  return std::make_shared<platform::HeadlessToolkit>();
}

// The current user's folder of key files; asked for again whenever the slot
// is emptied, so a changed environment is seen.
template <>
std::shared_ptr<platform::SettingsStore> Service<platform::SettingsStore>::make_default() {
  return std::make_shared<platform::FileSettingsStore>(platform::FileSettingsStore::default_root());
}

template <>
std::shared_ptr<const RegionalSettings> Service<const RegionalSettings>::make_default() {
  return std::make_shared<const RegionalSettings>(platform::regional_settings_from_environment());
}

// The Windows code pages of the Russian pharmacies these files serve: ANSI
// 1251, OEM 866.
template <>
std::shared_ptr<const platform::TextCodec> Service<const platform::TextCodec>::make_default() {
  return std::make_shared<const platform::TextCodec>(1251, 866);
}

}  // namespace pharmex
