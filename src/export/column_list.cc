#include "export/column_list.h"

#include <algorithm>

#include "platform/text_codec.h"

namespace pharmex::exporting {

ColumnList::ColumnList(std::span<const std::string_view> entries) {
  const platform::TextCodec& codec = platform::text_codec();
  upper_entries_.reserve(entries.size());
  for (std::string_view entry : entries)
    upper_entries_.push_back(codec.upper_ansi(entry));
}

bool ColumnList::contains(std::string_view column_name) const {
  std::string upper = platform::text_codec().upper_ansi(column_name);
  return std::find(upper_entries_.begin(), upper_entries_.end(), upper) != upper_entries_.end();
}

}  // namespace pharmex::exporting
