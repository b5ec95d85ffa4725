#include "app/document_kind.h"

#include "platform/toolkit.h"

namespace pharmex::app {

host::Routine DocumentKind::routine(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= file_types.size()) return nullptr;
  return file_types[static_cast<size_t>(index)].routine;
}

int DocumentKind::index_of(std::string_view short_name) const {
  for (size_t i = 0; i < file_types.size(); ++i) {
    if (file_types[i].short_name == short_name) return static_cast<int>(i);
  }
  return -1;
}

std::string DocumentKind::mask(int index) const {
  return platform::FileType::parse(file_types.at(static_cast<size_t>(index)).text).mask;
}

}  // namespace pharmex::app
