#include "host/run_test_support.h"

#include <filesystem>

#include "memhost/memory_field.h"

namespace pharmex::host::testing {

namespace {

void PX_STDCALL record_start(PxWindow window) {
  host_events().push_back("start " + std::to_string(window));
}

void PX_STDCALL record_progress(PxWindow window, int32_t percent) {
  host_events().push_back("progress " + std::to_string(window) + " " + std::to_string(percent));
}

void PX_STDCALL record_finish(PxWindow window) {
  host_events().push_back("finish " + std::to_string(window));
}

}  // namespace

std::vector<std::string>& host_events() {
  static std::vector<std::string> events;
  return events;
}

Callbacks recording_callbacks() {
  return {record_progress, record_start, record_finish};
}

RunTest::RunTest()
    : datasets_before_(memhost::MemoryDataSet::live_count()),
      fields_before_(memhost::MemoryField::live_count()),
      root_(std::filesystem::canonical(dir_.path()).string()),
      registry_(std::make_shared<platform::MemorySettingsStore>()) {
  host_events().clear();
  registry_->create_key(platform::kHostSettingsKey);
  registry_scope_.emplace(registry_);
}

void RunTest::TearDown() {
  registry_scope_.reset();
  EXPECT_EQ(memhost::MemoryDataSet::live_count(), datasets_before_) << "a dataset was kept";
  EXPECT_EQ(memhost::MemoryField::live_count(), fields_before_) << "a field was kept";
}

RunContext RunTest::context() const {
  RunContext context;
  context.set_window(kHost);
  context.set_callbacks(recording_callbacks());
  context.set_folders(RememberedFolders(registry_));
  // The Russian defaults, whatever the machine's locale says.
  context.set_settings(RegionalSettings{});
  return context;
}

}  // namespace pharmex::host::testing
