#include "platform/settings_store.h"

#include <utility>

#include "core/error.h"
#include "platform/text_codec.h"

namespace pharmex::platform {

std::string EditableSettingsStore::read_string(std::string_view key, std::string_view name) {
  std::optional<SettingsValue> value = read_value(key, name);
  if (!value) return std::string();
  if (value->type != SettingsType::kString)
    raise<SettingsError>("Invalid data type for '%s'", {name});
  return std::move(value->data);
}

bool is_valid_key_name(std::string_view key) {
  if (key.empty()) return false;
  size_t start = 0;
  while (true) {
    size_t end = key.find('\\', start);
    std::string_view part = key.substr(start, end == std::string_view::npos ? end : end - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (part.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos) return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

bool same_value_name(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const CodePage& page = text_codec().ansi();
  for (size_t i = 0; i < a.size(); ++i) {
    if (page.to_upper(static_cast<unsigned char>(a[i])) !=
        page.to_upper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::shared_ptr<SettingsStore> settings_store() {
  return Service<SettingsStore>::current();
}

}  // namespace pharmex::platform
