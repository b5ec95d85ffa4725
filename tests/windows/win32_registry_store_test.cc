// The settings-store suite over the Windows stores: the registry the library
// uses (in a key of the test's own under HKEY_CURRENT_USER) and the
// in-memory double.
#include "platform/win32_registry_store.h"

#include <windows.h>

#include "platform/memory_settings_store.h"
#include "platform/settings_store_contract.h"

namespace pharmex::platform {
namespace {

struct RegistryBackend {
  static constexpr const char* kName = "Registry";
  // The registry matches key names without regard to case and lists values
  // in an order of its own.
  static constexpr bool kKeyNamesMatchExactly = false;
  static constexpr bool kKeepsWritingOrder = false;

  RegistryBackend()
      : prefix("Software\\pharmex-tests\\" + std::to_string(::GetCurrentProcessId()) + "-" +
               std::to_string(counter++)) {}
  ~RegistryBackend() { Win32RegistryStore(prefix).remove_prefix_tree(); }
  std::unique_ptr<EditableSettingsStore> make() {
    return std::make_unique<Win32RegistryStore>(prefix);
  }

  static inline int counter = 0;
  std::string prefix;
};

struct MemoryBackend {
  static constexpr const char* kName = "Memory";
  static constexpr bool kKeyNamesMatchExactly = true;
  static constexpr bool kKeepsWritingOrder = true;
  std::unique_ptr<EditableSettingsStore> make() { return std::make_unique<MemorySettingsStore>(); }
};

using Backends = ::testing::Types<RegistryBackend, MemoryBackend>;
INSTANTIATE_TYPED_TEST_SUITE_P(Stores, SettingsStoreContract, Backends, BackendNames);

TEST(Win32RegistryStoreTest, TheLibraryUsesTheCurrentUsersRegistry) {
  EXPECT_NE(dynamic_cast<Win32RegistryStore*>(settings_store().get()), nullptr);
}

TEST(Win32RegistryStoreTest, TextIsStoredAsRegSzInUtf16) {
  RegistryBackend backend;
  Win32RegistryStore store(backend.prefix);
  store.create_key(kHostSettingsKey);
  store.write_string(kHostSettingsKey, "order_export_path", "C:\\\xC7\xE0\xEA\xE0\xE7\xFB");
  std::wstring key =
      std::wstring(backend.prefix.begin(), backend.prefix.end()) + L"\\Software\\kestrova";
  wchar_t text[64] = {};
  DWORD size = sizeof text;
  DWORD type = 0;
  ASSERT_EQ(::RegGetValueW(HKEY_CURRENT_USER, key.c_str(), L"order_export_path", RRF_RT_ANY, &type,
                           text, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::wstring(text), L"C:\\Заказы");
}

}  // namespace
}  // namespace pharmex::platform
