#include "platform/win32_registry_store.h"

#include <windows.h>

#include <cstring>

#include "core/error.h"
#include "platform/win32_text.h"

namespace pharmex::platform {

namespace {

// An open registry key, closed when it goes.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (handle_ != nullptr) ::RegCloseKey(handle_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  // Opens an existing key; false when it is missing or may not be opened so.
  bool open(const std::wstring& name, REGSAM access) {
    return !name.empty() &&
           ::RegOpenKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, access, &handle_) == ERROR_SUCCESS;
  }
  HKEY get() const { return handle_; }

 private:
  HKEY handle_ = nullptr;
};

SettingsValue to_settings_value(DWORD type, const std::string& bytes) {
  switch (type) {
    case REG_SZ: {
      std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
      std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
      if (!text.empty() && text.back() == L'\0') text.pop_back();  // the terminating NUL
      return SettingsValue::string(ansi_text(text));
    }
    case REG_DWORD:
      if (bytes.size() == sizeof(uint32_t)) {
        uint32_t number = 0;
        std::memcpy(&number, bytes.data(), sizeof number);
        return SettingsValue::dword(number);
      }
      break;
    case REG_QWORD:
      if (bytes.size() == sizeof(uint64_t)) {
        uint64_t number = 0;
        std::memcpy(&number, bytes.data(), sizeof number);
        return SettingsValue::qword(number);
      }
      break;
    case REG_BINARY:
      return SettingsValue::binary(bytes);
    default:
      break;
  }
  return SettingsValue::other(type, bytes);
}

// The registry's type and bytes of a value.
std::pair<DWORD, std::string> to_registry(const SettingsValue& value) {
  switch (value.type) {
    case SettingsType::kString: {
      std::wstring text = wide_text(value.data);
      std::string bytes((text.size() + 1) * sizeof(wchar_t), '\0');  // with its NUL
      std::memcpy(bytes.data(), text.data(), text.size() * sizeof(wchar_t));
      return {REG_SZ, bytes};
    }
    case SettingsType::kDword: {
      auto number = static_cast<uint32_t>(value.number);
      return {REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof number)};
    }
    case SettingsType::kQword:
      return {REG_QWORD,
              std::string(reinterpret_cast<const char*>(&value.number), sizeof value.number)};
    case SettingsType::kBinary:
      return {REG_BINARY, value.data};
    case SettingsType::kOther:
      break;
  }
  return {static_cast<DWORD>(value.number), value.data};
}

// Reads one value of an open key; nothing when it is missing or unreadable.
std::optional<std::pair<DWORD, std::string>> query(HKEY key, const std::wstring& name) {
  for (int attempt = 0; attempt < 4; ++attempt) {  // another writer may grow it meanwhile
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    std::string bytes(size, '\0');
    LONG status = ::RegQueryValueExW(key, name.c_str(), nullptr, &type,
                                     reinterpret_cast<BYTE*>(bytes.data()), &size);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return std::nullopt;
    bytes.resize(size);
    return std::make_pair(type, std::move(bytes));
  }
  return std::nullopt;
}

}  // namespace

Win32RegistryStore::Win32RegistryStore(std::string prefix) : prefix_(std::move(prefix)) {}

std::wstring Win32RegistryStore::full_name(std::string_view key) const {
  if (!is_valid_key_name(key)) return std::wstring();
  return wide_text(prefix_.empty() ? std::string(key) : prefix_ + "\\" + std::string(key));
}

bool Win32RegistryStore::key_exists(std::string_view key) {
  Key opened;
  return opened.open(full_name(key), KEY_READ);
}

void Win32RegistryStore::create_key(std::string_view key) {
  std::wstring name = full_name(key);
  HKEY created = nullptr;
  if (name.empty() ||
      ::RegCreateKeyExW(HKEY_CURRENT_USER, name.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE,
                        nullptr, &created, nullptr) != ERROR_SUCCESS) {
    raise<SettingsError>("Failed to create key '%s'", {key});
  }
  ::RegCloseKey(created);
}

std::optional<SettingsValue> Win32RegistryStore::read_value(std::string_view key,
                                                            std::string_view name) {
  Key opened;
  if (!opened.open(full_name(key), KEY_QUERY_VALUE)) return std::nullopt;
  auto value = query(opened.get(), wide_text(name));
  if (!value) return std::nullopt;
  return to_settings_value(value->first, value->second);
}

std::vector<NamedSettingsValue> Win32RegistryStore::read_values(std::string_view key) {
  std::vector<NamedSettingsValue> values;
  Key opened;
  if (!opened.open(full_name(key), KEY_QUERY_VALUE)) return values;
  DWORD longest_name = 0;
  if (::RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                         nullptr, &longest_name, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return values;
  }
  std::wstring name(longest_name + 1, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    LONG status = ::RegEnumValueW(opened.get(), index, name.data(), &length, nullptr, nullptr,
                                  nullptr, nullptr);
    if (status != ERROR_SUCCESS) break;
    std::wstring found(name.data(), length);
    if (auto value = query(opened.get(), found)) {
      values.push_back({ansi_text(found), to_settings_value(value->first, value->second)});
    }
  }
  return values;
}

void Win32RegistryStore::write_value(std::string_view key, std::string_view name,
                                     const SettingsValue& value) {
  Key opened;  // opened, never created: the key belongs to the host
  auto [type, bytes] = to_registry(value);
  if (!opened.open(full_name(key), KEY_SET_VALUE) ||
      ::RegSetValueExW(opened.get(), wide_text(name).c_str(), 0, type,
                       reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size())) != ERROR_SUCCESS) {
    raise<SettingsError>("Failed to set data for '%s'", {name});
  }
}

bool Win32RegistryStore::delete_value(std::string_view key, std::string_view name) {
  Key opened;
  if (!opened.open(full_name(key), KEY_SET_VALUE)) return false;
  LONG status = ::RegDeleteValueW(opened.get(), wide_text(name).c_str());
  if (status == ERROR_FILE_NOT_FOUND) return false;
  if (status != ERROR_SUCCESS) raise<SettingsError>("Failed to delete value '%s'", {name});
  return true;
}

bool Win32RegistryStore::remove_prefix_tree() {
  if (prefix_.empty()) return false;
  return ::RegDeleteTreeW(HKEY_CURRENT_USER, wide_text(prefix_).c_str()) == ERROR_SUCCESS;
}

}  // namespace pharmex::platform
