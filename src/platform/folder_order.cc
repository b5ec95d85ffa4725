#include "platform/folder_order.h"

#include <algorithm>

#include "platform/text_codec.h"

namespace pharmex::platform {

bool listed_before(bool folder, std::string_view name, bool other_folder,
                   std::string_view other_name) {
  if (folder != other_folder) return folder;
  const CodePage& page = text_codec().ansi();
  auto upper_less = [&page](char x, char y) {
    return page.to_upper(static_cast<unsigned char>(x)) <
           page.to_upper(static_cast<unsigned char>(y));
  };
  if (std::lexicographical_compare(name.begin(), name.end(), other_name.begin(), other_name.end(),
                                   upper_less))
    return true;
  if (std::lexicographical_compare(other_name.begin(), other_name.end(), name.begin(), name.end(),
                                   upper_less))
    return false;
  return name < other_name;
}

}  // namespace pharmex::platform
