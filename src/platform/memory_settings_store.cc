#include "platform/memory_settings_store.h"

#include <algorithm>

#include "core/error.h"

namespace pharmex::platform {

MemorySettingsStore::Values::iterator MemorySettingsStore::find(Values& values,
                                                                std::string_view name) {
  return std::find_if(values.begin(), values.end(), [&](const NamedSettingsValue& value) {
    return same_value_name(value.name, name);
  });
}

bool MemorySettingsStore::key_exists(std::string_view key) {
  std::lock_guard<std::mutex> lock(mutex_);
  return keys_.find(key) != keys_.end();
}

void MemorySettingsStore::create_key(std::string_view key) {
  if (!is_valid_key_name(key)) raise<SettingsError>("Failed to create key '%s'", {key});
  std::lock_guard<std::mutex> lock(mutex_);
  for (size_t end = key.find('\\');; end = key.find('\\', end + 1)) {
    std::string part(key.substr(0, end));
    keys_.try_emplace(part);
    if (end == std::string_view::npos) break;
  }
}

std::optional<SettingsValue> MemorySettingsStore::read_value(std::string_view key,
                                                             std::string_view name) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = keys_.find(key);
  if (it == keys_.end()) return std::nullopt;
  auto value = find(it->second, name);
  if (value == it->second.end()) return std::nullopt;
  return value->value;
}

std::vector<NamedSettingsValue> MemorySettingsStore::read_values(std::string_view key) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = keys_.find(key);
  return it == keys_.end() ? Values() : it->second;
}

void MemorySettingsStore::write_value(std::string_view key, std::string_view name,
                                      const SettingsValue& value) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = keys_.find(key);
  if (it == keys_.end()) raise<SettingsError>("Failed to set data for '%s'", {name});
  auto existing = find(it->second, name);
  if (existing != it->second.end()) {
    existing->value = value;
  } else {
    it->second.push_back({std::string(name), value});
  }
}

bool MemorySettingsStore::delete_value(std::string_view key, std::string_view name) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = keys_.find(key);
  if (it == keys_.end()) return false;
  auto existing = find(it->second, name);
  if (existing == it->second.end()) return false;
  it->second.erase(existing);
  return true;
}

}  // namespace pharmex::platform
