// EngineOptions: what the table engine takes from its surroundings: the
// regional settings its fields convert values with (a number assigned to a
// text field, a text assigned to a number or date field), the file system
// every table and memo file goes through, and the clock that dates a
// table's header on every write.
//
// A dataset or creator is given its options when it is made and hands them
// down to everything it opens; nothing beneath it asks the process. A layout
// builds them from its run context; everyone else may start from
// process_defaults(), the process's current services at that moment, and
// replace what they mean to steer:
//
//   dbf::EngineOptions options = dbf::EngineOptions::process_defaults();
//   options.file_system = failing_files;  // a test's double
//   dbf::TDbfDataSet table(options);
//
// The file system and the clock are shared: an object made with these
// options keeps them alive, also when the process's services are replaced
// meanwhile. Neither may be null.
#pragma once

#include <memory>

#include "core/regional_settings.h"
#include "platform/clock.h"
#include "platform/file_system.h"

namespace pharmex::dbf {

struct EngineOptions {
  RegionalSettings settings;
  std::shared_ptr<platform::FileSystem> file_system;
  std::shared_ptr<const platform::Clock> clock;

  // The process's current regional settings, file system and clock.
  static EngineOptions process_defaults();
};

}  // namespace pharmex::dbf
