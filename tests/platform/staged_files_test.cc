// A run's temporary files beside its targets: their names, what a run clears
// of the folder when it begins (the files of runs that are over, never those
// of a run still writing), what it removes when it ends, and which targets a
// file may replace.
#include "platform/staged_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "testing/test_support.h"

namespace pharmex::platform {
namespace {

using pharmex::testing::folder_entries;
using pharmex::testing::real_file_system;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;

struct NameCase {
  const char* name;
  const char* id;  // "" when the name is none of a run's
};

void PrintTo(const NameCase& c, std::ostream* out) {
  *out << c.name;
}

class StagedNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(StagedNameTest, TellsARunsFilesByTheirId) {
  EXPECT_EQ(StagedFiles::id_of(GetParam().name), GetParam().id);
}

INSTANTIATE_TEST_SUITE_P(
    Names, StagedNameTest,
    ::testing::Values(NameCase{".~pharmex-0123456789abcdef.table", "0123456789abcdef"},
                      NameCase{".~pharmex-0123456789abcdef.lock", "0123456789abcdef"},
                      NameCase{".~pharmex-ffffffffffffffff.oldmemo", "ffffffffffffffff"},
                      NameCase{".~pharmex-0123456789ABCDEF.table", ""},
                      NameCase{".~pharmex-0123456789abcde.table", ""},
                      NameCase{".~pharmex-0123456789abcdef0.table", ""},
                      NameCase{".~pharmex-0123456789abcdef.", ""},
                      NameCase{".~pharmex-0123456789abcdef.Table", ""},
                      NameCase{".~pharmex-0123456789abcdef.memo.dbt", ""},
                      NameCase{".~pharmex.folder", ""}, NameCase{"waybill.dbf", ""},
                      NameCase{".waybill.dbf.~pharmex-1-0", ""}));

class StagedFilesTest : public ::testing::Test {
 protected:
  std::unique_ptr<StagedFiles> claim() {
    return StagedFiles::claim_beside(real_file_system(), dir_.file("waybill.dbf"));
  }
  std::vector<std::string> left() const { return folder_entries(dir_.path()); }

  TempDir dir_;
};

TEST_F(StagedFilesTest, NamesItsFilesBesideTheTargetAndRemovesThemAtTheEnd) {
  {
    std::unique_ptr<StagedFiles> staged = claim();
    ASSERT_NE(staged, nullptr);
    const std::string table = staged->path("table");
    const std::string name = std::filesystem::path(table).filename().string();
    EXPECT_EQ(std::filesystem::path(table).parent_path(), dir_.path());
    const std::string id(StagedFiles::id_of(name));
    ASSERT_EQ(id.size(), 16u) << name;
    EXPECT_EQ(name, ".~pharmex-" + id + ".table");
    EXPECT_EQ(staged->path("memo"), dir_.file(".~pharmex-" + id + ".memo"));
    write_file(table, "written aside");
    EXPECT_EQ(left(), (std::vector<std::string>{".~pharmex-" + id + ".lock", name}));
  }
  EXPECT_EQ(left(), std::vector<std::string>{});
}

TEST_F(StagedFilesTest, TheNextRunClearsWhatRunsThatAreOverLeftButNeverARunStillWriting) {
  std::unique_ptr<StagedFiles> writing = claim();
  ASSERT_NE(writing, nullptr);
  const std::string its_table = writing->path("table");
  write_file(its_table, "still being written");
  // A killed run: its lock is there, nobody holds it.
  write_file(dir_.file(".~pharmex-00000000000000aa.lock"), "");
  write_file(dir_.file(".~pharmex-00000000000000aa.table"), "half a table");
  write_file(dir_.file(".~pharmex-00000000000000aa.memo"), "half a memo file");
  // A run killed while another cleared it: its lock already gone.
  write_file(dir_.file(".~pharmex-00000000000000bb.oldtable"), "yesterday's table");
  // A folder lock of a run killed while it held it.
  write_file(dir_.file(".~pharmex.folder"), "");
  // Not a run's.
  for (const char* other : {"waybill.dbf", ".~pharmex-zz.table", ".hidden"})
    write_file(dir_.file(other), "the partner's");

  std::unique_ptr<StagedFiles> next = claim();
  ASSERT_NE(next, nullptr);
  std::vector<std::string> expected = {".hidden", ".~pharmex-zz.table", "waybill.dbf"};
  const std::string writing_id(
      StagedFiles::id_of(std::filesystem::path(its_table).filename().string()));
  const std::string next_id(
      StagedFiles::id_of(std::filesystem::path(next->path("table")).filename().string()));
  for (const std::string& id : {writing_id, next_id})
    expected.push_back(".~pharmex-" + id + ".lock");
  expected.push_back(".~pharmex-" + writing_id + ".table");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left(), expected);
  EXPECT_EQ(pharmex::testing::read_file(its_table), "still being written");
}

TEST_F(StagedFilesTest, OneRunAtATimeHoldsTheFoldersLock) {
  std::unique_ptr<StagedFiles> first = claim();
  std::unique_ptr<StagedFiles> second = claim();
  const std::string lock = dir_.file(".~pharmex.folder");
  ASSERT_TRUE(first->lock_folder());
  EXPECT_TRUE(first->lock_folder()) << "held already";
  EXPECT_EQ(real_file_system().open(lock, FileAccess::kRead, FileSharing::kShared), nullptr);
  first->unlock_folder();
  EXPECT_FALSE(real_file_system().exists(lock)) << "nobody waits: the lock's file goes";
  ASSERT_TRUE(second->lock_folder());
  second.reset();
  EXPECT_FALSE(real_file_system().exists(lock));
}

TEST_F(StagedFilesTest, AFolderThatTakesNoFileGivesNoClaim) {
  EXPECT_EQ(StagedFiles::claim_beside(real_file_system(), dir_.file("no/such/folder/w.dbf")),
            nullptr);
}

struct ReplaceCase {
  const char* label;
  void (*prepare)(const std::string& target, std::unique_ptr<File>& holder);
  bool may_replace;
  std::string file_name = "waybill.dbf";
};

class MayReplaceTest : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(MayReplaceTest, RefusesWhatWritingInPlaceWouldRefuse) {
  TempDir dir;
  const std::string target = dir.file(GetParam().file_name);
  std::unique_ptr<File> holder;
  GetParam().prepare(target, holder);
  EXPECT_EQ(StagedFiles::may_replace(real_file_system(), target), GetParam().may_replace);
}

INSTANTIATE_TEST_SUITE_P(
    Targets, MayReplaceTest,
    ::testing::Values(
        ReplaceCase{"Missing", [](const std::string&, std::unique_ptr<File>&) {}, true},
        ReplaceCase{
            "AFile",
            [](const std::string& t, std::unique_ptr<File>&) { write_file(t, "yesterday's"); },
            true},
        ReplaceCase{"AFileInSharedUse",
                    [](const std::string& t, std::unique_ptr<File>& holder) {
                      write_file(t, "yesterday's");
                      holder = real_file_system().open(t, FileAccess::kRead, FileSharing::kShared);
                    },
                    true},
        ReplaceCase{"AFileHeldExclusively",
                    [](const std::string& t, std::unique_ptr<File>& holder) {
                      write_file(t, "yesterday's");
                      holder =
                          real_file_system().open(t, FileAccess::kRead, FileSharing::kExclusive);
                    },
                    false},
        ReplaceCase{"AFolder",
                    [](const std::string& t, std::unique_ptr<File>&) {
                      std::filesystem::create_directory(t);
                    },
                    false},
        ReplaceCase{"ANameTooLong", [](const std::string&, std::unique_ptr<File>&) {}, false,
                    std::string(300, 'n') + ".dbf"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace pharmex::platform
