// What the dialog tests share: routines of the tests' own that record where
// they ran (and fail on request), a document kind built from them, and a
// fixture that adds a headless toolkit to the run tests' (host/run_test_support.h).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/document_kind.h"
#include "app/shell_open_save_form.h"
#include "host/host_ref.h"
#include "host/run_test_support.h"
#include "memhost/memory_dataset.h"
#include "platform/headless_toolkit.h"
#include "platform/toolkit.h"

namespace pharmex::app::testing {

using host::testing::host_events;
using host::testing::recording_callbacks;

// The test routines record "<index> <path>" and call start, progress 100 and
// finish, as the table routines do. With `failure` set they fail with it
// after start, still calling finish.
struct RoutineProbe {
  std::vector<std::string> runs;
  std::string failure;
  // Runs inside the routine, after start (to look at the run while it runs).
  std::function<void(host::RunContext& context)> inside;
  // With `writes` set they create an empty file at the path, its "." and ".."
  // resolved textually as the table engine resolves them.
  bool writes = false;
};
RoutineProbe& probe();

// Types "Tables|*.dbf" (routine 0), "Text|*.txt" (routine 1) and
// "Other|*.xyz" (no routine); title "Save As", caption "&Save", proposes
// "test" + ".dbf", remembers under "test_export_path".
DocumentKind test_kind();

class DialogTest : public host::testing::RunTest {
 protected:
  DialogTest();
  void TearDown() override;

  platform::HeadlessToolkit& toolkit() { return *toolkit_; }
  // A context as a dialog entry point builds it: the host window kHost, the
  // datasets and callbacks given, the process's registry.
  static host::RunContext entry_context(host::HostRef<IDataSet> main,
                                        host::HostRef<IDataSet> lines = nullptr,
                                        const host::Callbacks& callbacks = {});
  // The dialog shown last that is still open (fails the test when none is).
  platform::HeadlessShellForm& dialog();
  TShellOpenSaveForm& dialog_object() { return TShellOpenSaveForm::of(dialog()); }

  // A dataset with "id" and "native_id" (text or a number, as given) and one row.
  static host::HostRef<memhost::MemoryDataSet> header_with_native_id(const std::string& csv_type,
                                                                     const std::string& cell);

 private:
  std::shared_ptr<platform::HeadlessToolkit> toolkit_;
  std::optional<Service<platform::Toolkit>::Scoped> toolkit_scope_;
};

}  // namespace pharmex::app::testing
