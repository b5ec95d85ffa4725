// The dialog's lifecycle through a document kind of the tests' own:
// preparation, the handlers, confirm, cancel, failed runs and the close rules.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/dialog_preparation.h"
#include "app/dialog_test_support.h"
#include "core/error.h"
#include "core/regional_settings.h"
#include "memhost/csv_reader.h"
#include "platform/file_system.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

namespace pharmex::app {
namespace {

using memhost::MemoryDataSet;
using platform::HeadlessShellForm;
using platform::WindowEvent;
using State = TShellOpenSaveForm::State;
using testing::DialogTest;
using testing::host_events;
using testing::probe;
using testing::test_kind;

std::string ansi(std::string_view utf8) {
  return platform::text_codec().utf8_to_ansi(utf8);
}

class DialogLifecycleTest : public DialogTest {
 protected:
  DialogLifecycleTest() : data_(memhost::read_csv("id:integer\n1\n", "data.csv")) {}

  void TearDown() override {
    data_.reset();
    DialogTest::TearDown();
  }

  // Opens the test kind's dialog for data_, remembering root() as its folder.
  HeadlessShellForm& open(const DocumentKind& kind = test_kind()) {
    registry().write_string(platform::kHostSettingsKey, "test_export_path", root());
    open_dialog(kind, entry_context(data_, nullptr, testing::recording_callbacks()));
    return dialog();
  }

  host::HostRef<MemoryDataSet> data_;
};

TEST_F(DialogLifecycleTest, PreparationSetsUpTheDialogAndDisablesTheHostWindow) {
  HeadlessShellForm& form = open();
  EXPECT_EQ(form.title(), "Save As");
  EXPECT_EQ(form.btnOpen().caption(), "&Save");
  EXPECT_TRUE(form.btnOpen().hot_track());
  EXPECT_TRUE(form.btnCancel().hot_track());
  EXPECT_EQ(form.options(), (platform::ShellFormOptions{.hide_read_only = true,
                                                        .show_hints = true,
                                                        .overwrite_prompt = false,
                                                        .file_must_exist = false,
                                                        .create_prompt = false}));
  EXPECT_EQ(form.btnShowDesktop().hint(), ansi("Показать Рабочий стол"));
  EXPECT_EQ(form.btnPlace0().caption(), ansi("Мои последние документы"));
  ASSERT_EQ(form.cbxFileTypes().count(), 3);
  EXPECT_EQ(form.cbxFileTypes().entry(1), (platform::FileType{"Text", "*.txt"}));
  EXPECT_EQ(form.cbxFileTypes().item_index(), 0);
  EXPECT_EQ(form.ShellList().filter(), "*.dbf");
  EXPECT_EQ(form.icon(), "MAINICON");
  EXPECT_EQ(form.edtFileName().text(), "test.dbf");
  EXPECT_TRUE(form.btnOpen().enabled());
  EXPECT_EQ(form.folder(), root());
  EXPECT_EQ(form.owner(), kHost);
  EXPECT_EQ(toolkit().active_window_answer(), 0u) << "the previous answer is back";
  EXPECT_FALSE(toolkit().window_enabled(kHost));

  TShellOpenSaveForm& dialog = TShellOpenSaveForm::of(form);
  EXPECT_EQ(dialog.context().window(), kHost);
  EXPECT_EQ(dialog.context().main_dataset().get(), data_.get());
  EXPECT_FALSE(dialog.context().first_dataset());
  EXPECT_EQ(data_->ref_count(), 2u) << "the dialog's reference; the entry's own is dropped";
  EXPECT_EQ(dialog.state(), State::kOpen);
  EXPECT_TRUE(host_events().empty());
}

// The placeholders "{root}" in the paths below stand for the folder shown.
struct ConfirmCase {
  const char* label;
  int file_type;
  std::string typed;
  std::string run;  // what the routine recorded; "" when nothing ran
};

void PrintTo(const ConfirmCase& c, std::ostream* os) {
  *os << c.label;
}

class ConfirmTest : public DialogLifecycleTest,
                    public ::testing::WithParamInterface<ConfirmCase> {};

TEST_P(ConfirmTest, RunsTheSelectedTypesRoutineAfterTheExtensionRuleAndCloses) {
  const ConfirmCase& c = GetParam();
  HeadlessShellForm& form = open();
  std::vector<std::string> observed;
  TShellOpenSaveForm::of(form).set_run_observer(
      [&](const std::string& path) { observed.push_back(path); });
  form.select_file_type(c.file_type);
  form.type_file_name(c.typed);
  form.press_enter();

  std::string expected = c.run;
  if (size_t at = expected.find("{root}"); at != std::string::npos) expected.replace(at, 6, root());
  EXPECT_EQ(probe().runs,
            c.run.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected});
  EXPECT_EQ(observed, c.run.empty() ? std::vector<std::string>{}
                                    : std::vector<std::string>{expected.substr(2)})
      << "the observer hears the path the routine ran on";
  EXPECT_TRUE(toolkit().open_forms().empty());
  EXPECT_TRUE(toolkit().window_enabled(kHost));
  EXPECT_EQ(data_->ref_count(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Names, ConfirmTest,
    ::testing::Values(
        ConfirmCase{"no_extension_gets_the_types", 0, "supplier", "0 {root}/supplier.dbf"},
        ConfirmCase{"second_type", 1, "notes", "1 {root}/notes.txt"},
        ConfirmCase{"other_extension_kept", 0, "list.txt", "0 {root}/list.txt"},
        ConfirmCase{"dot_in_the_name_is_an_extension", 0, "waybill_12.5", "0 {root}/waybill_12.5"},
        ConfirmCase{"dot_only_in_a_folder_does_not_count", 0, "/tmp/x.d/list",
                    "0 /tmp/x.d/list.dbf"},
        ConfirmCase{"type_without_routine_runs_nothing", 2, "a", ""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(DialogLifecycleTest, ASuccessfulRunHappensWhileTheHostWindowIsStillDisabled) {
  State during = State::kOpen;
  bool disabled_during = false;
  std::string cwd_during;
  probe().inside = [&](host::RunContext&) {
    during = dialog_object().state();
    disabled_during = !toolkit().window_enabled(kHost);
    cwd_during = platform::current_directory();
  };
  HeadlessShellForm& form = open();
  form.open_folder("/");
  form.open_folder(root());
  form.press_enter();
  EXPECT_EQ(during, State::kRunning);
  EXPECT_TRUE(disabled_during);
  EXPECT_EQ(cwd_during, root()) << "the folder shown became the current directory first";
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 100", "finish 4660"}));
  using Kind = WindowEvent::Kind;
  EXPECT_EQ(toolkit().window_events(),
            (std::vector<WindowEvent>{{Kind::kDisable, kHost}, {Kind::kEnable, kHost}}));
}

TEST_F(DialogLifecycleTest, TheRunTakesTheSettingsAndFilesTheProcessHasWhenItStarts) {
  Service<const RegionalSettings>::Scoped before(RegionalSettings{',', "dd.MM.yyyy", "H:mm:ss"});
  HeadlessShellForm& form = open();
  // While the dialog is open the host changes its settings, and the files
  // go elsewhere.
  const RegionalSettings changed{'.', "yyyy-MM-dd", "H:mm:ss"};
  Service<const RegionalSettings>::Scoped now(changed);
  platform::FileSystemWrapper files(platform::posix_file_system());
  Service<platform::FileSystem>::Scoped files_now(files);
  RegionalSettings settings_during;
  const platform::FileSystem* files_during = nullptr;
  probe().inside = [&](host::RunContext& run) {
    settings_during = run.settings();
    files_during = run.file_system().get();
  };
  form.press_enter();
  ASSERT_EQ(probe().runs.size(), 1u);
  EXPECT_EQ(settings_during, changed);
  EXPECT_EQ(files_during, &files);
}

TEST_F(DialogLifecycleTest, AFailedRunKeepsTheDialogForAnotherAttempt) {
  probe().failure = "Error creating file " + root() + "/test.dbf";
  HeadlessShellForm& form = open();
  bool observed = false;
  TShellOpenSaveForm::of(form).set_run_observer([&](const std::string&) { observed = true; });
  form.press_enter();

  ASSERT_EQ(toolkit().open_forms().size(), 1u);
  EXPECT_EQ(dialog_object().state(), State::kOpen);
  EXPECT_FALSE(dialog_object().confirmed());
  EXPECT_FALSE(toolkit().window_enabled(kHost));
  ASSERT_EQ(toolkit().message_boxes().size(), 1u);
  EXPECT_EQ(toolkit().message_boxes()[0].kind, platform::MessageKind::kError);
  EXPECT_EQ(toolkit().message_boxes()[0].text, probe().failure);
  using Kind = WindowEvent::Kind;
  EXPECT_EQ(toolkit().window_events().back(), (WindowEvent{Kind::kBringToTop, kHost}));
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
  EXPECT_FALSE(observed) << "a failed run is not reported as a path written";

  form.press_enter();  // confirm again: a new run with its own start and finish
  EXPECT_EQ(probe().runs.size(), 2u);
  EXPECT_EQ(host_events().size(), 4u);
  EXPECT_EQ(toolkit().message_boxes().size(), 2u);

  form.press_escape();  // cancel: nothing more runs, the host window comes back
  EXPECT_EQ(probe().runs.size(), 2u);
  EXPECT_EQ(host_events().size(), 4u);
  EXPECT_TRUE(toolkit().open_forms().empty());
  EXPECT_TRUE(toolkit().window_enabled(kHost));
  EXPECT_EQ(data_->ref_count(), 1u);
}

TEST_F(DialogLifecycleTest, AFailedRunThenASuccessfulOneCloses) {
  probe().failure = "Disk full";
  HeadlessShellForm& form = open();
  form.press_enter();
  probe().failure.clear();
  form.press_enter();
  EXPECT_TRUE(toolkit().open_forms().empty());
  EXPECT_TRUE(toolkit().window_enabled(kHost));
  EXPECT_EQ(data_->ref_count(), 1u);
}

enum class Dismissal { kCancelButton, kEscape, kCloseBox };

class DismissTest : public DialogLifecycleTest, public ::testing::WithParamInterface<Dismissal> {
 protected:
  void dismiss(HeadlessShellForm& form) {
    switch (GetParam()) {
      case Dismissal::kCancelButton:
        form.click(form.btnCancel());
        break;
      case Dismissal::kEscape:
        form.press_escape();
        break;
      case Dismissal::kCloseBox:
        form.click_close_box();
        break;
    }
  }
};

TEST_P(DismissTest, ClosesWithoutCallingAnything) {
  HeadlessShellForm& form = open();
  form.type_file_name("anything.dbf");
  dismiss(form);
  EXPECT_TRUE(probe().runs.empty());
  EXPECT_TRUE(host_events().empty());
  EXPECT_TRUE(toolkit().open_forms().empty());
  EXPECT_TRUE(toolkit().window_enabled(kHost));
  EXPECT_EQ(data_->ref_count(), 1u);
}

TEST_P(DismissTest, AfterARefusedConfirmationRunsNothingEither) {
  HeadlessShellForm& form = open();
  form.type_file_name("*.txt");
  form.press_enter();
  EXPECT_EQ(form.ShellList().filter(), "*.txt");
  EXPECT_FALSE(dialog_object().confirmed()) << "the confirmation lapsed";
  form.type_file_name("bad\x01name");
  form.press_enter();
  ASSERT_EQ(toolkit().message_boxes().size(), 1u);
  EXPECT_EQ(toolkit().message_boxes()[0],
            (platform::MessageBoxRecord{platform::MessageKind::kWarning, "Save As",
                                        "bad\x01name\nThe above file name is invalid."}));
  dismiss(form);
  EXPECT_TRUE(probe().runs.empty());
  EXPECT_TRUE(host_events().empty());
  EXPECT_TRUE(toolkit().open_forms().empty());
}

INSTANTIATE_TEST_SUITE_P(Ways, DismissTest,
                         ::testing::Values(Dismissal::kCancelButton, Dismissal::kEscape,
                                           Dismissal::kCloseBox));

TEST_F(DialogLifecycleTest, TheConfirmButtonNeedsANameThatIsNotBlank) {
  HeadlessShellForm& form = open();
  for (std::string blank : {"", "   ", "\t \r\n", "\x7F"}) {
    form.type_file_name(blank);
    EXPECT_FALSE(form.btnOpen().enabled()) << "'" << blank << "'";
    form.press_enter();
  }
  form.type_file_name(" a ");
  EXPECT_TRUE(form.btnOpen().enabled());
  EXPECT_TRUE(probe().runs.empty());
}

TEST_F(DialogLifecycleTest, WithoutAProposedNameTheConfirmButtonStartsDisabled) {
  DocumentKind kind = test_kind();
  kind.proposed_name = {};
  HeadlessShellForm& form = open(kind);
  EXPECT_EQ(form.edtFileName().text(), "");
  EXPECT_FALSE(form.btnOpen().enabled());
}

TEST_F(DialogLifecycleTest, InstalledHandlersCallTheOnesTheyReplacedFirst) {
  std::vector<std::string> calls;
  toolkit().set_form_created_hook([&](HeadlessShellForm& form) {
    form.set_on_close([&](platform::CloseAction&) { calls.push_back("close"); });
    form.edtFileName().set_on_change([&] { calls.push_back("change"); });
    form.btnCancel().set_on_click([&] { calls.push_back("cancel"); });
    form.btnOpen().set_on_click([&] { calls.push_back("open"); });
  });
  probe().inside = [&](host::RunContext&) { calls.push_back("routine"); };
  HeadlessShellForm& form = open();
  EXPECT_EQ(calls, (std::vector<std::string>{"change", "change"}))
      << "run once while preparing, then for the proposed name";
  calls.clear();
  form.press_enter();
  EXPECT_EQ(calls, (std::vector<std::string>{"open", "close", "routine"}));
  calls.clear();

  HeadlessShellForm& second = open();
  calls.clear();
  second.press_escape();
  EXPECT_EQ(calls, (std::vector<std::string>{"cancel", "close"}));
}

TEST_F(DialogLifecycleTest, WithoutARememberedFolderTheDialogOpensWhereTheLastOneClosed) {
  HeadlessShellForm& first = open();
  ASSERT_TRUE(first.open_folder(root() + "/.."));
  std::string parent = first.folder();
  first.click_close_box();
  EXPECT_EQ(platform::current_directory(), parent);

  registry().delete_value(platform::kHostSettingsKey, "test_export_path");
  open_dialog(test_kind(), entry_context(data_));
  EXPECT_EQ(dialog().folder(), parent);
}

TEST_F(DialogLifecycleTest, TheOrderDialogStoresTheChosenFolderBeforeItsRoutine) {
  DocumentKind kind = test_kind();
  kind.stores_folder_before_run = true;
  std::string during;
  probe().inside = [&](host::RunContext&) {
    during = registry().read_string(platform::kHostSettingsKey, "test_export_path");
  };
  std::filesystem::create_directory(root() + "/out");
  open(kind).type_file_name(root() + "/out/o");
  dialog().press_enter();
  EXPECT_EQ(during, root() + "/out/");
  EXPECT_EQ(probe().runs, (std::vector<std::string>{"0 " + root() + "/out/o.dbf"}));
}

TEST_F(DialogLifecycleTest, TheEarlyStoreDoesNotFailWithoutTheHostsKey) {
  DocumentKind kind = test_kind();
  kind.stores_folder_before_run = true;
  HeadlessShellForm& form = open(kind);
  Service<platform::SettingsStore>::Scoped keyless(
      std::make_shared<platform::MemorySettingsStore>());
  form.press_enter();
  EXPECT_EQ(probe().runs.size(), 1u);
  EXPECT_TRUE(toolkit().message_boxes().empty());
  EXPECT_TRUE(toolkit().open_forms().empty());
}

TEST_F(DialogLifecycleTest, ARememberedFolderOfTheWrongTypeFailsThePreparationCleanly) {
  registry().write_dword(platform::kHostSettingsKey, "test_export_path", 7);
  EXPECT_THROW_MSG(open_dialog(test_kind(), entry_context(data_)), SettingsError,
                   "Invalid data type for 'test_export_path'");
  EXPECT_TRUE(toolkit().open_forms().empty());
  EXPECT_TRUE(toolkit().window_enabled(kHost));
  EXPECT_EQ(toolkit().active_window_answer(), 0u);
  EXPECT_EQ(data_->ref_count(), 1u);
}

TEST_F(DialogLifecycleTest, AHostFailingWhileTheNameIsProposedFailsThePreparationCleanly) {
  auto headers = header_with_native_id("string(20)", "A-17");
  headers->fail_call(memhost::Operation::Value, 1, "Connection lost");
  DocumentKind kind = test_kind();
  kind.proposed_name = {"order", "order_", true};
  EXPECT_THROW_MSG(open_dialog(kind, entry_context(headers, data_)), Error, "Connection lost");
  EXPECT_TRUE(toolkit().open_forms().empty());
  EXPECT_TRUE(toolkit().window_enabled(kHost));
  EXPECT_EQ(headers->ref_count(), 1u);
  EXPECT_EQ(data_->ref_count(), 1u);
}

}  // namespace
}  // namespace pharmex::app
