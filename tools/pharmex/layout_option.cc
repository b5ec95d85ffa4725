#include "layout_option.h"

#include <optional>
#include <string>

namespace pharmex::cli {

namespace {

int by_name(const std::string& name, const app::DocumentKind& kind) {
  int index = kind.index_of(name);
  if (index >= 0) return index;
  std::string known;
  for (const app::FileTypeEntry& type : kind.file_types)
    known += (known.empty() ? "" : ", ") + type.short_name;
  throw UsageError("unknown layout '" + name + "' (one of " + known + ")");
}

// Decimal digits only, naming an entry of the list.
int by_number(const std::string& text, const app::DocumentKind& kind) {
  const size_t count = kind.file_types.size();
  size_t index = 0;
  bool valid = !text.empty() && text.size() <= 9;
  for (char c : text) {
    if (c < '0' || c > '9') valid = false;
    index = index * 10 + static_cast<size_t>(c - '0');
  }
  if (!valid || index >= count) {
    throw UsageError("--type must be a number from 0 to " + std::to_string(count - 1));
  }
  return static_cast<int>(index);
}

}  // namespace

int layout_index(Arguments& args, const app::DocumentKind& kind) {
  std::optional<std::string> type = args.option("type");
  std::optional<std::string> layout = args.option("layout");
  if (type && layout) throw UsageError("give --type or --layout, not both");
  if (layout) return by_name(*layout, kind);
  if (type) return by_number(*type, kind);
  return 0;
}

}  // namespace pharmex::cli
