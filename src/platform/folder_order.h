// The order a folder list shows its items in, the same in every toolkit:
// folders before files; then by name without regard to case (upper case of
// the ANSI code page, so Cyrillic names sort as the user reads them); then
// by bytes, so names differing only in case keep a stable order.
#pragma once

#include <string_view>

namespace pharmex::platform {

bool listed_before(bool folder, std::string_view name, bool other_folder,
                   std::string_view other_name);

// For any item with `folder` and `name`, as std::sort wants it.
template <class Item>
bool listed_before(const Item& a, const Item& b) {
  return listed_before(a.folder, a.name, b.folder, b.name);
}

}  // namespace pharmex::platform
