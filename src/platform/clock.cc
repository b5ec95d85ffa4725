#include "platform/clock.h"

namespace pharmex::platform {

const Clock& clock() {
  return Service<Clock>::current_ref();
}

}  // namespace pharmex::platform
