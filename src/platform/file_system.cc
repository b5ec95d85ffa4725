#include "platform/file_system.h"

namespace pharmex::platform {

FileSystem& file_system() {
  return Service<FileSystem>::current_ref();
}

}  // namespace pharmex::platform
