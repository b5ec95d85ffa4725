// What the tests of routines share: a host that records its callbacks, and a
// fixture with a run context as an entry point builds one (the host window
// 0x1234, the recording callbacks, the test's in-memory registry) in a
// temporary folder, which restores the current directory and checks that
// every dataset reference was given back. No toolkit is involved. The
// registry is the process's settings store for the test as well, so that an
// entry point called from a test never reaches the user's own.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/host_ref.h"
#include "host/run_context.h"
#include "memhost/memory_dataset.h"
#include "platform/memory_settings_store.h"
#include "platform/scoped_current_directory.h"
#include "platform/settings_store.h"
#include "testing/test_support.h"

namespace pharmex::host::testing {

// Everything the host was told, in order: "start 7", "progress 7 100", "finish 7".
std::vector<std::string>& host_events();
Callbacks recording_callbacks();

class RunTest : public ::testing::Test {
 protected:
  static constexpr PxWindow kHost = 0x1234;

  RunTest();
  void TearDown() override;

  // The registry of the test, with the host's key.
  platform::MemorySettingsStore& registry() { return *registry_; }
  // A fresh context: window kHost, the recording callbacks, no datasets, the
  // test's registry, the default regional settings (a comma as decimal
  // separator) and the process's file system and clock.
  RunContext context() const;
  // The folder of the test, without symbolic links.
  const std::string& root() const { return root_; }

 private:
  int64_t datasets_before_;
  int64_t fields_before_;
  pharmex::testing::ScopedCurrentDirectory cwd_;
  pharmex::testing::TempDir dir_;
  std::string root_;
  std::shared_ptr<platform::MemorySettingsStore> registry_;
  std::optional<Service<platform::SettingsStore>::Scoped> registry_scope_;
};

}  // namespace pharmex::host::testing
