// The per-user settings store: the library's view of the registry of the
// current user, where the last folder used for each document kind is
// remembered ("supplier_export_path", ... under "Software\kestrova").
//
// Keys are named as the registry names them: components joined by "\"
// ("Software\kestrova"), not file paths. Key names are matched exactly;
// value names are matched without regard to case, and keep the spelling they
// were first written with. All text crossing this interface (key names, value
// names, string values) is 8-bit ANSI, like every text inside the library.
//
// The library itself only reads and writes string values of keys that already
// exist: the key belongs to the host, which creates it. Hosts, the
// command-line tool and the tests prepare keys and typed values through
// EditableSettingsStore.
//
// Not thread-safe by contract: the library runs on the host's user-interface
// thread. The stores in this folder do tolerate other processes writing the
// same key at the same time.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/service.h"

namespace pharmex::platform {

// The registry's value types the store keeps. kOther is any other registry
// type (expandable or multi-line text, ...), kept as raw bytes with its code.
enum class SettingsType { kString, kDword, kQword, kBinary, kOther };

struct SettingsValue {
  SettingsType type = SettingsType::kString;
  std::string data;     // kString: the ANSI text; kBinary, kOther: the raw bytes
  uint64_t number = 0;  // kDword, kQword: the number; kOther: the registry type code

  static SettingsValue string(std::string_view text) {
    return {SettingsType::kString, std::string(text), 0};
  }
  static SettingsValue dword(uint32_t value) { return {SettingsType::kDword, {}, value}; }
  static SettingsValue qword(uint64_t value) { return {SettingsType::kQword, {}, value}; }
  static SettingsValue binary(std::string_view bytes) {
    return {SettingsType::kBinary, std::string(bytes), 0};
  }
  static SettingsValue other(uint32_t type_code, std::string_view bytes) {
    return {SettingsType::kOther, std::string(bytes), type_code};
  }

  bool operator==(const SettingsValue&) const = default;
};

struct NamedSettingsValue {
  std::string name;  // "" is the key's default value
  SettingsValue value;

  bool operator==(const NamedSettingsValue&) const = default;
};

// What the library uses.
class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  virtual bool key_exists(std::string_view key) = 0;

  // The text of a string value; "" when the key or the value is missing.
  // Throws SettingsError("Invalid data type for '%s'") with the value's name
  // when the value has another type.
  virtual std::string read_string(std::string_view key, std::string_view name) = 0;

  // Sets a string value, replacing a value of that name of any type and
  // keeping every other value. The key is opened, never created: throws
  // SettingsError("Failed to set data for '%s'") with the value's name when
  // the key does not exist or the value cannot be stored.
  virtual void write_string(std::string_view key, std::string_view name,
                            std::string_view value) = 0;
};

// The whole store, for hosts, the command-line tool and tests. The library's
// own code never calls these operations.
class EditableSettingsStore : public SettingsStore {
 public:
  // Creates the key and, as the registry does, every missing key above it;
  // an existing key is left as it is. Throws SettingsError("Failed to create
  // key '%s'") for a name that is not a valid key name or when the key
  // cannot be stored.
  virtual void create_key(std::string_view key) = 0;

  // The value of that name; nothing when the key or the value is missing.
  virtual std::optional<SettingsValue> read_value(std::string_view key, std::string_view name) = 0;
  // Every value of the key, in the order they were first written; empty when
  // the key is missing.
  virtual std::vector<NamedSettingsValue> read_values(std::string_view key) = 0;

  // Sets a value of any type, with write_string's rules for a missing key.
  virtual void write_value(std::string_view key, std::string_view name,
                           const SettingsValue& value) = 0;

  // Removes a value; false when the key or the value was not there. Throws
  // SettingsError("Failed to delete value '%s'") when the key file cannot be
  // rewritten.
  virtual bool delete_value(std::string_view key, std::string_view name) = 0;

  void write_dword(std::string_view key, std::string_view name, uint32_t value) {
    write_value(key, name, SettingsValue::dword(value));
  }
  void write_qword(std::string_view key, std::string_view name, uint64_t value) {
    write_value(key, name, SettingsValue::qword(value));
  }
  void write_binary(std::string_view key, std::string_view name, std::string_view bytes) {
    write_value(key, name, SettingsValue::binary(bytes));
  }

  // SettingsStore, in terms of the typed operations.
  std::string read_string(std::string_view key, std::string_view name) override;
  void write_string(std::string_view key, std::string_view name, std::string_view value) override {
    write_value(key, name, SettingsValue::string(value));
  }
};

// A key name the stores accept: one or more non-empty components separated by
// single "\", none of them "." or "..", and no "/" or NUL anywhere (a key
// component becomes a file name in the file store).
bool is_valid_key_name(std::string_view key);

// True when two ANSI value names are the same name: equal once upper-cased by
// the ANSI code page's rules.
bool same_value_name(std::string_view a, std::string_view b);

// The key the host keeps its settings under.
inline constexpr std::string_view kHostSettingsKey = "Software\\kestrova";

// The process-wide store the library uses: Service<SettingsStore>'s current
// one, which hosts embedding the library elsewhere and tests replace.
std::shared_ptr<SettingsStore> settings_store();

}  // namespace pharmex::platform

namespace pharmex {

// The platform's store of the current user, created when first used: the
// file store under FileSettingsStore::default_root() on POSIX systems, the
// registry's current-user hive on Windows (Win32RegistryStore).
template <>
std::shared_ptr<platform::SettingsStore> Service<platform::SettingsStore>::make_default();

}  // namespace pharmex
