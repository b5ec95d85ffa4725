#include "app/dialogless_run.h"

#include "app/dialog_preparation.h"
#include "app/layout_dispatcher.h"
#include "core/error.h"
#include "platform/paths.h"

namespace pharmex::app {

void run_without_dialog(const DocumentKind& kind, host::RunContext& context, int file_type,
                        const std::string& path) {
  host::Routine routine = kind.routine(file_type);
  if (routine != nullptr) routine(context, path);
}

std::string run_in_folder(const DocumentKind& kind, host::RunContext& context,
                          const std::string& folder, int file_type) {
  // A caller's index beyond the list would otherwise run nothing and report
  // success for a file that was never written.
  if (file_type < 0 || static_cast<size_t>(file_type) >= kind.file_types.size()) {
    raise<Error>("File type %d is not one of the layouts 0 to %d",
                 {int64_t{file_type}, static_cast<int64_t>(kind.file_types.size()) - 1});
  }
  std::string name = propose_file_name(kind, context.main_dataset());
  if (!platform::directory_exists(folder)) return std::string();
  return dispatch_layout(kind, file_type, folder + name, context);
}

}  // namespace pharmex::app
