#include "app/dialogless_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/dialog_test_support.h"
#include "core/error.h"
#include "memhost/csv_reader.h"
#include "platform/paths.h"
#include "platform/text_codec.h"

namespace pharmex::app {
namespace {

using testing::host_events;
using testing::probe;
using testing::test_kind;

class DialoglessRunTest : public testing::DialogTest {
 protected:
  DialoglessRunTest()
      : headers_(header_with_native_id("string(20)", "A-17")),
        lines_(memhost::read_csv("id:integer\n1\n", "lines.csv")) {}

  void TearDown() override {
    EXPECT_EQ(headers_->ref_count(), 1u);
    EXPECT_EQ(lines_->ref_count(), 1u);
    EXPECT_TRUE(toolkit().open_forms().empty());
    headers_.reset();
    lines_.reset();
    DialogTest::TearDown();
  }

  // A context as a dialog-less entry point builds it: window 0.
  host::RunContext data() {
    host::RunContext context;
    context.set_callbacks(testing::recording_callbacks());
    context.set_datasets(nullptr, headers_, lines_);
    return context;
  }

  // The test kind proposing names as the waybill dialog does.
  static DocumentKind waybill_like() {
    DocumentKind kind = test_kind();
    kind.proposed_name = {"waybill", "waybill_", false};
    return kind;
  }

  host::HostRef<memhost::MemoryDataSet> headers_;
  host::HostRef<memhost::MemoryDataSet> lines_;
};

TEST_F(DialoglessRunTest, RunsTheRoutineOnThePathAsGivenWithoutAWindow) {
  host::RunContext context = data();
  run_without_dialog(test_kind(), context, 1, "/out/prices");
  EXPECT_EQ(probe().runs, (std::vector<std::string>{"1 /out/prices"}));
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 0", "progress 0 100", "finish 0"}));
}

TEST_F(DialoglessRunTest, TheRoutineGetsTheContextAndNoDialogIsMade) {
  host::RunContext context = data();
  probe().inside = [&](host::RunContext& run) {
    EXPECT_EQ(&run, &context);
    EXPECT_EQ(run.window(), 0u);
    EXPECT_EQ(run.main_dataset().get(), headers_.get());
    EXPECT_EQ(run.lines_dataset().get(), lines_.get());
    EXPECT_EQ(headers_->ref_count(), 2u) << "the context's reference only";
  };
  run_without_dialog(test_kind(), context, 0, "/out/p.dbf");
  EXPECT_EQ(probe().runs.size(), 1u);
  EXPECT_TRUE(toolkit().open_forms().empty());
  EXPECT_TRUE(toolkit().window_events().empty());
}

TEST_F(DialoglessRunTest, AFailureIsRaised) {
  probe().failure = "Field list is invalid";
  host::RunContext context = data();
  EXPECT_THROW_MSG(run_without_dialog(test_kind(), context, 0, "/out/p.dbf"), Error,
                   "Field list is invalid");
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 0", "finish 0"}));
}

TEST_F(DialoglessRunTest, AnIndexWithoutARoutineRunsNothing) {
  host::RunContext context = data();
  run_without_dialog(test_kind(), context, 2, "/out/p.dbf");
  run_without_dialog(test_kind(), context, 7, "/out/p.dbf");
  EXPECT_TRUE(probe().runs.empty());
  EXPECT_TRUE(host_events().empty());
}

struct FolderRunCase {
  const char* label;
  std::string folder;  // "{root}" stands for the test's folder
  int file_type;
  std::string native_id_type;
  std::string native_id;  // a CSV cell
  std::string run;        // "" when nothing runs; UTF-8
};

void PrintTo(const FolderRunCase& c, std::ostream* os) {
  *os << c.label;
}

class FolderRunTest : public DialoglessRunTest,
                      public ::testing::WithParamInterface<FolderRunCase> {
 protected:
  std::string expand(std::string text) const {
    if (size_t at = text.find("{root}"); at != std::string::npos) text.replace(at, 6, root());
    return text;
  }
};

// Every file under the test's folder, as UTF-8 paths.
std::set<std::string> files_under(const std::string& root) {
  std::set<std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files.insert(entry.path().string());
  }
  return files;
}

TEST_P(FolderRunTest, JoinsFolderAndProposedNameAndDispatches) {
  const FolderRunCase& c = GetParam();
  std::filesystem::create_directories(root() + "/1/2/3/out");
  // The routines write their file, except where the folder is joined without
  // a separator and the file would land beside the test's folder.
  probe().writes = c.folder.back() == '/';
  headers_ = header_with_native_id(c.native_id_type, c.native_id);
  host::RunContext context = data();
  std::string path = run_in_folder(waybill_like(), context, expand(c.folder), c.file_type);
  if (c.run.empty()) {
    EXPECT_EQ(path, "");
    EXPECT_TRUE(probe().runs.empty());
    EXPECT_TRUE(host_events().empty());
    EXPECT_TRUE(files_under(root()).empty());
    return;
  }
  std::string run = expand(platform::text_codec().utf8_to_ansi(c.run));
  EXPECT_EQ(probe().runs, (std::vector<std::string>{run}));
  EXPECT_EQ(path, run.substr(2)) << "the path the routine ran on";
  if (probe().writes) {
    // The file is in the folder given, and nothing was written anywhere else.
    EXPECT_EQ(platform::extract_file_path(path), expand(c.folder));
    EXPECT_EQ(files_under(root()), std::set<std::string>{platform::native_path(path)});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, FolderRunTest,
    ::testing::Values(
        FolderRunCase{"text_id", "{root}/", 0, "string(20)", "A-17", "0 {root}/waybill_A-17.dbf"},
        FolderRunCase{"second_type", "{root}/", 1, "string(20)", "A-17",
                      "1 {root}/waybill_A-17.txt"},
        FolderRunCase{"no_separator_added", "{root}", 0, "string(20)", "A-17",
                      "0 {root}waybill_A-17.dbf"},
        FolderRunCase{"number_id", "{root}/", 0, "integer", "17", "0 {root}/waybill.dbf"},
        FolderRunCase{"null_id", "{root}/", 0, "string(20)", "", "0 {root}/waybill.dbf"},
        FolderRunCase{"dotted_id_keeps_its_name", "{root}/", 0, "string(20)", "12.5",
                      "0 {root}/waybill_12.5"},
        FolderRunCase{"missing_folder", "{root}/nowhere/", 0, "string(20)", "A-17", ""},
        FolderRunCase{"index_without_routine", "{root}/", 2, "string(20)", "A-17", ""},
        // A waybill number never chooses the folder: the name is one component.
        FolderRunCase{"parents_and_separators", "{root}/1/2/3/out/", 0, "string(40)",
                      "/../../../../elsewhere/x",
                      "0 {root}/1/2/3/out/waybill__.._.._.._.._elsewhere_x"},
        FolderRunCase{"parent_file", "{root}/1/2/3/out/", 1, "string(20)", "/../victim.conf",
                      "1 {root}/1/2/3/out/waybill__.._victim.conf"},
        FolderRunCase{"absolute_path", "{root}/1/2/3/out/", 0, "string(20)", "/etc/passwd",
                      "0 {root}/1/2/3/out/waybill__etc_passwd.dbf"},
        FolderRunCase{"dot_dot", "{root}/1/2/3/out/", 0, "string(20)", "..",
                      "0 {root}/1/2/3/out/waybill_.."},
        FolderRunCase{"empty_text", "{root}/1/2/3/out/", 0, "string(20)", "\"\"",
                      "0 {root}/1/2/3/out/waybill_.dbf"},
        FolderRunCase{"windows_separators", "{root}/1/2/3/out/", 0, "string(20)", "..\\..\\C:x",
                      "0 {root}/1/2/3/out/waybill_.._.._C_x"},
        FolderRunCase{"characters_windows_refuses", "{root}/1/2/3/out/", 1, "string(20)",
                      "\"a*b?c\"\"d<e>f|g\"", "1 {root}/1/2/3/out/waybill_a_b_c_d_e_f_g.txt"},
        FolderRunCase{"control_characters", "{root}/1/2/3/out/", 0, "string(20)", "\"A\n1\t2\x01\"",
                      "0 {root}/1/2/3/out/waybill_A_1_2_.dbf"},
        FolderRunCase{"cyrillic_with_slash", "{root}/1/2/3/out/", 0, "string(20)", "РН-123/45",
                      "0 {root}/1/2/3/out/waybill_РН-123_45.dbf"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(FolderRunTest, ANameThatWouldBeDotOrDotDotIsThePlainName) {
  DocumentKind kind = waybill_like();
  kind.proposed_name.native_id_prefix = ".";
  for (const char* native_id : {"\"\"", "."}) {
    headers_ = header_with_native_id("string(20)", native_id);
    host::RunContext context = data();
    EXPECT_EQ(run_in_folder(kind, context, root() + "/", 0), root() + "/waybill.dbf") << native_id;
  }
  EXPECT_EQ(probe().runs.size(), 2u);
}

TEST_F(FolderRunTest, AnIndexOutsideTheListFailsBeforeAnything) {
  headers_ = header_with_native_id("string(20)", "A-17");
  for (int index : {-1, 3, 9}) {
    host::RunContext context = data();
    EXPECT_THROW_MSG(run_in_folder(waybill_like(), context, expand("{root}/"), index), Error,
                     "File type " + std::to_string(index) + " is not one of the layouts 0 to 2");
  }
  EXPECT_TRUE(probe().runs.empty());
  EXPECT_TRUE(host_events().empty());
}

}  // namespace
}  // namespace pharmex::app
