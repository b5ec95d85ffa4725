#include "app/layout_dispatcher.h"

#include "platform/paths.h"
#include "platform/toolkit.h"

namespace pharmex::app {

std::string_view mask_extension(std::string_view mask) {
  size_t dot = mask.rfind('.');
  return dot == std::string_view::npos ? std::string_view() : mask.substr(dot);
}

std::string with_type_extension(std::string_view path, std::string_view mask) {
  std::string out(path);
  if (!platform::has_extension(path)) out.append(mask_extension(mask));
  return out;
}

std::string dispatch_layout(const DocumentKind& kind, int index, std::string_view chosen,
                            host::RunContext& context) {
  host::Routine routine = kind.routine(index);
  if (routine == nullptr) return std::string();
  std::string path = with_type_extension(chosen, kind.mask(index));
  routine(context, path);
  return path;
}

}  // namespace pharmex::app
