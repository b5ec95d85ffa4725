// What the dialog tests share: a host that records its callbacks, routines of
// the tests' own that record where they ran (and fail on request), a document
// kind built from them, and a fixture that installs a headless toolkit and an
// in-memory registry, restores the current directory and checks that every
// dataset reference was given back.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/document_kind.h"
#include "host/host_ref.h"
#include "host/shell_open_save_form.h"
#include "memhost/memory_dataset.h"
#include "platform/headless_toolkit.h"
#include "platform/memory_settings_store.h"
#include "platform/scoped_current_directory.h"
#include "platform/settings_store.h"
#include "platform/toolkit.h"
#include "testing/test_support.h"

namespace pharmex::host::testing {

// Everything the host was told, in order: "start 7", "progress 7 100", "finish 7".
std::vector<std::string>& host_events();
Callbacks recording_callbacks();

// The test routines record "<index> <path>" and call start, progress 100 and
// finish, as the table routines do. With `failure` set they fail with it
// after start, still calling finish.
struct RoutineProbe {
  std::vector<std::string> runs;
  std::string failure;
  // Runs inside the routine, after start (to look at the dialog while it runs).
  std::function<void(TShellOpenSaveForm& form)> inside;
  // With `writes` set they create an empty file at the path, its "." and ".."
  // resolved textually as the table engine resolves them.
  bool writes = false;
};
RoutineProbe& probe();

// Types "Tables|*.dbf" (routine 0), "Text|*.txt" (routine 1) and
// "Other|*.xyz" (no routine); title "Save As", caption "&Save", proposes
// "test" + ".dbf", remembers under "test_export_path".
DocumentKind test_kind();

class DialogTest : public ::testing::Test {
 protected:
  static constexpr PxWindow kHost = 0x1234;

  DialogTest();
  void TearDown() override;

  platform::HeadlessToolkit& toolkit() { return *toolkit_; }
  platform::MemorySettingsStore& registry() { return *registry_; }
  // The dialog shown last that is still open (fails the test when none is).
  platform::HeadlessShellForm& dialog();
  TShellOpenSaveForm& dialog_object() { return TShellOpenSaveForm::of(dialog()); }
  // The folder of the test, without symbolic links (as the dialog shows it).
  const std::string& root() const { return root_; }

  // A dataset with "id" and "native_id" (text or a number, as given) and one row.
  static HostRef<memhost::MemoryDataSet> header_with_native_id(const std::string& csv_type,
                                                               const std::string& cell);

 private:
  int64_t datasets_before_;
  int64_t fields_before_;
  pharmex::testing::ScopedCurrentDirectory cwd_;
  pharmex::testing::TempDir dir_;
  std::string root_;
  std::shared_ptr<platform::HeadlessToolkit> toolkit_;
  std::shared_ptr<platform::MemorySettingsStore> registry_;
  std::optional<Service<platform::Toolkit>::Scoped> toolkit_scope_;
  std::optional<Service<platform::SettingsStore>::Scoped> registry_scope_;
};

}  // namespace pharmex::host::testing
