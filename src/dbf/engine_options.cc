#include "dbf/engine_options.h"

#include "core/service.h"

namespace pharmex::dbf {

// The one place of the engine that reads the process's services: what an
// object is given when its maker gives nothing.
EngineOptions EngineOptions::process_defaults() {
  return EngineOptions{regional_settings(), Service<platform::FileSystem>::current(),
                       Service<platform::Clock>::current()};
}

}  // namespace pharmex::dbf
