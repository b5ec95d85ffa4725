#include "app/dialog_test_support.h"

#include "core/error.h"
#include "memhost/csv_reader.h"
#include "memhost/memory_field.h"
#include "platform/paths.h"

namespace pharmex::app::testing {

namespace {

void run_test_routine(int index, host::RunContext& context, const std::string& path) {
  context.notify_start();
  probe().runs.push_back(std::to_string(index) + " " + path);
  if (probe().writes) {
    pharmex::testing::write_file(platform::native_path(platform::expand_file_name(path)), "");
  }
  if (probe().inside) probe().inside(context);
  if (!probe().failure.empty()) {
    context.notify_finish();
    throw Error(probe().failure);
  }
  context.notify_progress(100);
  context.notify_finish();
}

void routine0(host::RunContext& context, const std::string& path) {
  run_test_routine(0, context, path);
}

void routine1(host::RunContext& context, const std::string& path) {
  run_test_routine(1, context, path);
}

}  // namespace

RoutineProbe& probe() {
  static RoutineProbe instance;
  return instance;
}

DocumentKind test_kind() {
  DocumentKind kind;
  kind.title = "Save As";
  kind.confirm_caption = "&Save";
  kind.file_types = {{"Tables|*.dbf", "tables", routine0},
                     {"Text|*.txt", "text", routine1},
                     {"Other|*.xyz", "other", nullptr}};
  kind.folder_value = "test_export_path";
  kind.proposed_name = {"test", "", true};
  return kind;
}

DialogTest::DialogTest() : toolkit_(std::make_shared<platform::HeadlessToolkit>()) {
  probe() = RoutineProbe();
  toolkit_scope_.emplace(toolkit_);
}

void DialogTest::TearDown() {
  // Forms still open go with the toolkit, releasing what they hold.
  toolkit_scope_.reset();
  toolkit_.reset();
  probe() = RoutineProbe();
  RunTest::TearDown();
}

host::RunContext DialogTest::entry_context(host::HostRef<IDataSet> main,
                                           host::HostRef<IDataSet> lines,
                                           const host::Callbacks& callbacks) {
  host::RunContext context;
  context.set_window(kHost);
  context.set_callbacks(callbacks);
  context.set_datasets(nullptr, std::move(main), std::move(lines));
  return context;
}

platform::HeadlessShellForm& DialogTest::dialog() {
  platform::HeadlessShellForm* form = toolkit_->active_form();
  if (form == nullptr) throw std::logic_error("no dialog is open");
  return *form;
}

host::HostRef<memhost::MemoryDataSet> DialogTest::header_with_native_id(const std::string& csv_type,
                                                                        const std::string& cell) {
  return memhost::read_csv("id:integer,native_id:" + csv_type + "\n1," + cell + "\n",
                           "headers.csv");
}

}  // namespace pharmex::app::testing
