// The settings-store suite over the Linux stores: the file store the library
// uses and the in-memory double.
#include "platform/settings_store_contract.h"

#include "platform/file_settings_store.h"
#include "platform/memory_settings_store.h"

namespace pharmex::platform {
namespace {

struct FileBackend {
  static constexpr const char* kName = "File";
  static constexpr bool kKeyNamesMatchExactly = true;
  static constexpr bool kKeepsWritingOrder = true;
  testing::TempDir dir;
  std::unique_ptr<EditableSettingsStore> make() {
    return std::make_unique<FileSettingsStore>(dir.file("registry"));
  }
};

struct MemoryBackend {
  static constexpr const char* kName = "Memory";
  static constexpr bool kKeyNamesMatchExactly = true;
  static constexpr bool kKeepsWritingOrder = true;
  std::unique_ptr<EditableSettingsStore> make() { return std::make_unique<MemorySettingsStore>(); }
};

using Backends = ::testing::Types<FileBackend, MemoryBackend>;
INSTANTIATE_TYPED_TEST_SUITE_P(Stores, SettingsStoreContract, Backends, BackendNames);

}  // namespace
}  // namespace pharmex::platform
