#include "platform/headless_controls.h"

#include <stdexcept>

namespace pharmex::platform {

bool HeadlessButton::press() {
  if (!enabled_) return false;
  // A copy: the handler may replace itself while it runs.
  if (Handler handler = on_click_) handler();
  return true;
}

void HeadlessEdit::set_text(std::string_view text) {
  if (text == text_) return;
  text_ = text;
  if (Handler handler = on_change_) handler();
}

FileType HeadlessFileTypeList::entry(int index) const {
  if (index < 0 || index >= count()) {
    throw std::out_of_range("file-type list index " + std::to_string(index) + " out of range");
  }
  return entries_[static_cast<size_t>(index)];
}

void HeadlessFileTypeList::set_item_index(int index) {
  item_index_ = index >= 0 && index < count() ? index : -1;
}

std::string HeadlessFileTypeList::selected_mask() const {
  return item_index_ < 0 ? std::string() : entries_[static_cast<size_t>(item_index_)].mask;
}

}  // namespace pharmex::platform
