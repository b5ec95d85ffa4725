#include "platform/headless_shell_form.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "core/error.h"
#include "platform/headless_toolkit.h"
#include "platform/paths.h"
#include "platform/scoped_current_directory.h"
#include "testing/test_support.h"

namespace pharmex::platform {
namespace {

namespace fs = std::filesystem;
using testing::ScopedCurrentDirectory;
using testing::TempDir;
using testing::write_file;

// Tells whether the form that owned it is gone.
struct DestructionProbe : FormExtension {
  explicit DestructionProbe(bool& destroyed) : destroyed_(destroyed) {}
  ~DestructionProbe() override { destroyed_ = true; }
  bool& destroyed_;
};

// A folder with two sub-folders, three visible files and hidden ones (the
// last an export's temporary table):
//   root/in/x.dbf  root/out/  root/a.dbf  root/B.DBF  root/c.txt  root/.secret.dbf
//   root/.~pharmex-0123456789abcdef.table
class HeadlessShellFormTest : public ::testing::Test {
 protected:
  HeadlessShellFormTest() : root_(fs::canonical(dir_.path()).string()) {
    fs::create_directory(root_ + "/in");
    fs::create_directory(root_ + "/out");
    for (const char* name :
         {"in/x.dbf", "a.dbf", "B.DBF", "c.txt", ".secret.dbf", ".~pharmex-0123456789abcdef.table"})
      write_file(root_ + "/" + name, "");
  }

  // Shows a "Save As" form on `folder` with the types "*.dbf" (selected) and
  // "*.txt", buttons that close it as the library's do, and a close handler
  // that counts closes and answers close_action_.
  HeadlessShellForm& show(const std::string& folder,
                          const std::function<void(ShellForm&)>& setup = {}) {
    std::unique_ptr<ShellForm> form = toolkit_.create_shell_form();
    form->set_title("Save As");
    form->set_initial_folder(folder);
    form->cbxFileTypes().add({"Tables", "*.dbf"});
    form->cbxFileTypes().add({"Text", "*.txt"});
    form->cbxFileTypes().set_item_index(0);
    form->cbxFileTypesSelEndOk();
    form->set_extension(std::make_unique<DestructionProbe>(destroyed_));
    ShellForm* f = form.get();
    form->btnOpen().set_on_click([f] { f->close(CloseMode::kAccept); });
    form->btnCancel().set_on_click([f] { f->close(CloseMode::kDismiss); });
    form->set_on_close([this](CloseAction& action) {
      ++closes_;
      if (!close_failure_.empty()) throw Error(close_failure_);
      action = close_action_;
    });
    if (setup) setup(*form);
    toolkit_.show_modeless(std::move(form));
    return *toolkit_.active_form();
  }

  std::vector<std::string> names(const HeadlessShellForm& form) const {
    std::vector<std::string> out;
    for (const FolderItem& item : form.items())
      out.push_back(item.folder ? item.name + "/" : item.name);
    return out;
  }

  ScopedCurrentDirectory cwd_;
  TempDir dir_;
  std::string root_;
  int closes_ = 0;
  bool destroyed_ = false;
  CloseAction close_action_ = CloseAction::kFree;
  std::string close_failure_;
  HeadlessToolkit toolkit_;
};

TEST_F(HeadlessShellFormTest, ListsFoldersFirstThenTheFilesOfTheSelectedMask) {
  HeadlessShellForm& form = show(root_);
  EXPECT_EQ(form.folder(), root_);
  EXPECT_EQ(names(form), (std::vector<std::string>{"in/", "out/", "a.dbf", "B.DBF"}));
  form.select_file_type(1);
  EXPECT_EQ(form.ShellList().filter(), "*.txt");
  EXPECT_EQ(names(form), (std::vector<std::string>{"in/", "out/", "c.txt"}));
  EXPECT_THROW(form.select_file_type(2), std::out_of_range);
}

TEST_F(HeadlessShellFormTest, OpensInTheCurrentDirectoryWithoutAnInitialFolderOrAMissingOne) {
  ASSERT_TRUE(set_current_directory(root_ + "/in"));
  EXPECT_EQ(show("").folder(), root_ + "/in");
  EXPECT_EQ(show(root_ + "/gone").folder(), root_ + "/in");
}

TEST_F(HeadlessShellFormTest, NavigatesLikeAUser) {
  HeadlessShellForm& form = show(root_);
  EXPECT_TRUE(form.open_folder("in"));
  EXPECT_EQ(names(form), (std::vector<std::string>{"x.dbf"}));
  EXPECT_TRUE(form.go_up());
  EXPECT_EQ(form.folder(), root_);
  EXPECT_FALSE(form.open_folder("nowhere"));
  EXPECT_FALSE(form.open_folder("a.dbf"));
  EXPECT_EQ(form.folder(), root_);
  form.open_item("out");
  EXPECT_EQ(form.folder(), root_ + "/out");
  EXPECT_TRUE(form.open_folder("/"));
  EXPECT_FALSE(form.go_up());
  EXPECT_THROW(form.open_item("no-such-item"), std::invalid_argument);
}

TEST_F(HeadlessShellFormTest, PlaceButtonsOpenTheirFolders) {
  toolkit_.set_places({root_ + "/in", root_ + "/out"});
  HeadlessShellForm& form = show(root_);
  form.click(form.btnPlace0());
  EXPECT_EQ(form.folder(), root_ + "/in");
  form.click(form.btnPlace1());
  EXPECT_EQ(form.folder(), root_ + "/out");
  form.open_folder(root_);
  form.click(form.btnShowDesktop());
  EXPECT_EQ(form.folder(), root_ + "/out");
}

TEST_F(HeadlessShellFormTest, ClickingAFilePutsItsNameInTheBoxAndDoubleClickingChoosesIt) {
  HeadlessShellForm& form = show(root_);
  form.select_item("B.DBF");
  EXPECT_EQ(form.edtFileName().text(), "B.DBF");
  form.open_item("a.dbf");
  EXPECT_EQ(closes_, 1);
  EXPECT_TRUE(toolkit_.open_forms().empty());
}

// What the close query makes of a typed name. "{root}" stands for the folder.
struct QueryCase {
  const char* label;
  std::string typed;
  std::string chosen;   // the accepted path; "" when the close is refused
  std::string folder;   // the folder shown afterwards, below {root}
  std::string filter;   // the view's mask afterwards
  std::string box;      // the file-name box afterwards
  std::string message;  // the message box shown; "" for none
};

void PrintTo(const QueryCase& c, std::ostream* os) {
  *os << c.label;
}

class CloseQueryTest : public HeadlessShellFormTest,
                       public ::testing::WithParamInterface<QueryCase> {
 protected:
  std::string expand(std::string text) const {
    size_t at = text.find("{root}");
    if (at != std::string::npos) text.replace(at, 6, root_);
    return text;
  }
};

TEST_P(CloseQueryTest, AcceptsRefusesFiltersOrNavigates) {
  const QueryCase& c = GetParam();
  std::string chosen;
  HeadlessShellForm& form = show(root_, [&](ShellForm& f) {
    f.set_on_close([&chosen, &f](CloseAction& action) {
      chosen = f.file_name();
      action = CloseAction::kHide;  // keep the form to look at it
    });
  });
  form.type_file_name(expand(c.typed));
  form.press_enter();
  EXPECT_EQ(chosen, expand(c.chosen));
  EXPECT_EQ(form.visible(), c.chosen.empty());
  EXPECT_EQ(form.folder(), root_ + c.folder);
  EXPECT_EQ(form.ShellList().filter(), c.filter);
  EXPECT_EQ(form.edtFileName().text(), expand(c.box));
  if (c.message.empty()) {
    EXPECT_TRUE(toolkit_.message_boxes().empty());
  } else {
    ASSERT_EQ(toolkit_.message_boxes().size(), 1u);
    EXPECT_EQ(toolkit_.message_boxes()[0],
              (MessageBoxRecord{MessageKind::kWarning, "Save As", c.message}));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, CloseQueryTest,
    ::testing::Values(
        QueryCase{"plain", "new.dbf", "{root}/new.dbf", "", "*.dbf", "new.dbf", ""},
        QueryCase{"blanks_trimmed", "  new.dbf ", "{root}/new.dbf", "", "*.dbf", "  new.dbf ", ""},
        QueryCase{"relative_folder", "in/../out/z", "{root}/out/z", "", "*.dbf", "in/../out/z", ""},
        QueryCase{"absolute", "{root}/in/y.dbf", "{root}/in/y.dbf", "", "*.dbf", "{root}/in/y.dbf",
                  ""},
        QueryCase{"mask", "*.txt", "", "", "*.txt", "*.txt", ""},
        QueryCase{"mask_in_folder", "in/*.txt", "", "/in", "*.txt", "*.txt", ""},
        QueryCase{"mask_in_missing_folder", "nope/*.txt", "", "", "*.dbf", "nope/*.txt",
                  "nope/*.txt\nThe above file name is invalid."},
        QueryCase{"folder_name", "in", "", "/in", "*.dbf", "", ""},
        QueryCase{"control_character", "a\x01z.dbf", "", "", "*.dbf", "a\x01z.dbf",
                  "a\x01z.dbf\nThe above file name is invalid."},
        QueryCase{"missing_folder_with_slash", "nope/", "", "", "*.dbf", "nope/",
                  "nope/\nThe above file name is invalid."},
        QueryCase{"too_long", std::string(300, 'n'), "", "", "*.dbf", std::string(300, 'n'),
                  std::string(300, 'n') + "\nThe above file name is invalid."}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(HeadlessShellFormTest, AnAcceptedCloseEntersTheFolderShownARefusedOneDoesNot) {
  std::string before = current_directory();
  ASSERT_NE(before, root_ + "/in");
  HeadlessShellForm& form = show(root_);
  form.open_folder("in");
  form.type_file_name("*.txt");
  form.press_enter();
  EXPECT_EQ(current_directory(), before);
  form.type_file_name("q.dbf");
  form.press_enter();
  EXPECT_EQ(closes_, 1);
  EXPECT_EQ(current_directory(), root_ + "/in");
}

TEST_F(HeadlessShellFormTest, TheCloseBoxClosesWithoutCheckingTheNameAndEntersTheFolder) {
  HeadlessShellForm& form = show(root_ + "/out");
  form.type_file_name("bad\x02name");
  form.click_close_box();
  EXPECT_EQ(closes_, 1);
  EXPECT_TRUE(toolkit_.message_boxes().empty());
  EXPECT_EQ(current_directory(), root_ + "/out");
  EXPECT_TRUE(destroyed_);
}

TEST_F(HeadlessShellFormTest, AFailingCloseHandlerIsShownAndTheFormStaysOpen) {
  close_failure_ = "Error writing to /out/a.dbf";
  HeadlessShellForm& form = show(root_);
  form.type_file_name("a.dbf");
  form.press_enter();
  ASSERT_EQ(toolkit_.open_forms().size(), 1u);
  EXPECT_TRUE(form.visible());
  EXPECT_FALSE(destroyed_);
  EXPECT_EQ(toolkit_.message_boxes(),
            (std::vector<MessageBoxRecord>{
                {MessageKind::kError, "Error", "Error writing to /out/a.dbf"}}));
  close_failure_.clear();
  form.press_enter();
  EXPECT_EQ(closes_, 2);
  EXPECT_TRUE(destroyed_);
}

TEST_F(HeadlessShellFormTest, TheCloseActionDecidesWhatHappensToTheForm) {
  close_action_ = CloseAction::kNone;
  HeadlessShellForm& form = show(root_);
  form.click_close_box();
  EXPECT_TRUE(form.visible());
  close_action_ = CloseAction::kHide;
  form.click_close_box();
  EXPECT_FALSE(form.visible());
  EXPECT_FALSE(destroyed_) << "a hidden form stays with the toolkit";
  EXPECT_TRUE(toolkit_.open_forms().empty());
  EXPECT_EQ(closes_, 2);
}

TEST_F(HeadlessShellFormTest, AFreedFormGoesOnlyOnceTheEventIsOver) {
  bool destroyed_inside = true;
  HeadlessShellForm& form = show(root_, [&](ShellForm& f) {
    f.btnCancel().set_on_click([&] {
      f.close(CloseMode::kDismiss);
      destroyed_inside = destroyed_;
    });
  });
  form.press_escape();
  EXPECT_FALSE(destroyed_inside);
  EXPECT_TRUE(destroyed_);
}

TEST_F(HeadlessShellFormTest, EnterDoesNothingWhileTheConfirmButtonIsDisabled) {
  HeadlessShellForm& form = show(root_, [](ShellForm& f) { f.btnOpen().set_enabled(false); });
  form.type_file_name("a.dbf");
  form.press_enter();
  EXPECT_EQ(closes_, 0);
  EXPECT_TRUE(form.visible());
}

TEST_F(HeadlessShellFormTest, TheChangeHandlerRunsOnlyWhenTheTextChanges) {
  int changes = 0;
  HeadlessShellForm& form =
      show(root_, [&](ShellForm& f) { f.edtFileName().set_on_change([&] { ++changes; }); });
  form.type_file_name("a");
  form.type_file_name("a");
  form.type_file_name("");
  EXPECT_EQ(changes, 2);
}

TEST_F(HeadlessShellFormTest, AFormThatMustChooseAnExistingFileRefusesAMissingOne) {
  HeadlessShellForm& form = show(root_, [](ShellForm& f) {
    ShellFormOptions options;
    options.file_must_exist = true;
    f.set_options(options);
  });
  form.type_file_name("missing.dbf");
  form.press_enter();
  ASSERT_EQ(toolkit_.message_boxes().size(), 1u);
  EXPECT_EQ(toolkit_.message_boxes()[0].text,
            "missing.dbf\nFile not found.\nCheck the file name and try again.");
  form.type_file_name("a.dbf");
  form.press_enter();
  EXPECT_EQ(closes_, 1);
}

TEST_F(HeadlessShellFormTest, RefusesWhatItCannotDo) {
  std::unique_ptr<ShellForm> hidden = toolkit_.create_shell_form();
  auto& headless = dynamic_cast<HeadlessShellForm&>(*hidden);
  EXPECT_THROW(headless.type_file_name("a"), std::logic_error);
  EXPECT_FALSE(hidden->close(CloseMode::kDismiss));

  ShellFormOptions asking;
  asking.overwrite_prompt = true;
  hidden->set_options(asking);
  EXPECT_THROW(toolkit_.show_modeless(std::move(hidden)), std::logic_error);

  HeadlessToolkit other;
  EXPECT_THROW(toolkit_.show_modeless(other.create_shell_form()), std::invalid_argument);
  EXPECT_TRUE(toolkit_.open_forms().empty());
}

TEST_F(HeadlessShellFormTest, HostWindowOperationsAreRecorded) {
  EXPECT_TRUE(toolkit_.window_enabled(7));
  toolkit_.enable_window(7, false);
  toolkit_.bring_window_to_top(7);
  toolkit_.enable_window(0, false);
  toolkit_.bring_window_to_top(0);
  EXPECT_FALSE(toolkit_.window_enabled(7));
  toolkit_.enable_window(7, true);
  EXPECT_TRUE(toolkit_.window_enabled(7));
  using Kind = WindowEvent::Kind;
  EXPECT_EQ(
      toolkit_.window_events(),
      (std::vector<WindowEvent>{{Kind::kDisable, 7}, {Kind::kBringToTop, 7}, {Kind::kEnable, 7}}));
}

TEST_F(HeadlessShellFormTest, NewFormsBelongToTheActiveWindowAnswer) {
  {
    ActiveWindowScope answer(toolkit_, 42);
    EXPECT_EQ(toolkit_.create_shell_form()->owner(), 42u);
    {
      ActiveWindowScope inner(toolkit_, 43);
      EXPECT_EQ(toolkit_.active_window_answer(), 43u);
    }
    EXPECT_EQ(toolkit_.active_window_answer(), 42u);
  }
  EXPECT_EQ(toolkit_.active_window_answer(), 0u);
  EXPECT_EQ(toolkit_.create_shell_form()->owner(), 0u);
}

}  // namespace
}  // namespace pharmex::platform
