// An in-memory settings store for tests: the behaviour of FileSettingsStore
// (key names matched exactly, value names without regard to case, typed
// values, keys opened but never created by writes) without any file. The
// contract tests run one suite over both, so they keep agreeing.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/settings_store.h"

namespace pharmex::platform {

class MemorySettingsStore : public EditableSettingsStore {
 public:
  bool key_exists(std::string_view key) override;
  void create_key(std::string_view key) override;
  std::optional<SettingsValue> read_value(std::string_view key, std::string_view name) override;
  std::vector<NamedSettingsValue> read_values(std::string_view key) override;
  void write_value(std::string_view key, std::string_view name,
                   const SettingsValue& value) override;
  bool delete_value(std::string_view key, std::string_view name) override;

 private:
  using Values = std::vector<NamedSettingsValue>;  // in the order first written

  static Values::iterator find(Values& values, std::string_view name);

  std::mutex mutex_;
  std::map<std::string, Values, std::less<>> keys_;
};

}  // namespace pharmex::platform
