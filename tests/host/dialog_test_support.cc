#include "host/dialog_test_support.h"

#include <filesystem>

#include "core/error.h"
#include "memhost/csv_reader.h"
#include "memhost/memory_field.h"
#include "platform/paths.h"

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

void run_test_routine(int index, TShellOpenSaveForm& form, const std::string& path) {
  form.notify_start();
  probe().runs.push_back(std::to_string(index) + " " + path);
  if (probe().writes) {
    pharmex::testing::write_file(platform::native_path(platform::expand_file_name(path)), "");
  }
  if (probe().inside) probe().inside(form);
  if (!probe().failure.empty()) {
    form.notify_finish();
    throw Error(probe().failure);
  }
  form.notify_progress(100);
  form.notify_finish();
}

void routine0(TShellOpenSaveForm& form, const std::string& path) {
  run_test_routine(0, form, path);
}

void routine1(TShellOpenSaveForm& form, const std::string& path) {
  run_test_routine(1, form, path);
}

}  // namespace

std::vector<std::string>& host_events() {
  static std::vector<std::string> events;
  return events;
}

Callbacks recording_callbacks() {
  return {record_progress, record_start, record_finish};
}

RoutineProbe& probe() {
  static RoutineProbe instance;
  return instance;
}

DocumentKind test_kind() {
  DocumentKind kind;
  kind.title = "Save As";
  kind.confirm_caption = "&Save";
  kind.file_types = {"Tables|*.dbf", "Text|*.txt", "Other|*.xyz"};
  kind.folder_value = "test_export_path";
  kind.proposed_name = {"test", "", true};
  kind.routines = {routine0, routine1, nullptr};
  return kind;
}

DialogTest::DialogTest()
    : datasets_before_(memhost::MemoryDataSet::live_count()),
      fields_before_(memhost::MemoryField::live_count()),
      root_(std::filesystem::canonical(dir_.path()).string()),
      toolkit_(std::make_shared<platform::HeadlessToolkit>()),
      registry_(std::make_shared<platform::MemorySettingsStore>()) {
  host_events().clear();
  probe() = RoutineProbe();
  registry_->create_key(platform::kHostSettingsKey);
  toolkit_scope_.emplace(toolkit_);
  registry_scope_.emplace(registry_);
}

void DialogTest::TearDown() {
  // Forms still open go with the toolkit, releasing what they hold.
  registry_scope_.reset();
  toolkit_scope_.reset();
  toolkit_.reset();
  probe() = RoutineProbe();
  EXPECT_EQ(memhost::MemoryDataSet::live_count(), datasets_before_) << "a dataset was kept";
  EXPECT_EQ(memhost::MemoryField::live_count(), fields_before_) << "a field was kept";
}

platform::HeadlessShellForm& DialogTest::dialog() {
  platform::HeadlessShellForm* form = toolkit_->active_form();
  if (form == nullptr) throw std::logic_error("no dialog is open");
  return *form;
}

HostRef<memhost::MemoryDataSet> DialogTest::header_with_native_id(const std::string& csv_type,
                                                                  const std::string& cell) {
  return memhost::read_csv("id:integer,native_id:" + csv_type + "\n1," + cell + "\n",
                           "headers.csv");
}

}  // namespace pharmex::host::testing
