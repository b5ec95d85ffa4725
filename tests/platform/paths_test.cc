#include "platform/paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testing/test_support.h"

namespace pharmex::platform {
namespace {

// "Заказ №1.dbf" and the folder "Папка" in code page 1251, and in UTF-8.
const std::string kAnsiFile =
    "\xC7\xE0\xEA\xE0\xE7 \xB9"
    "1.dbf";
const std::string kUtf8File = "Заказ №1.dbf";
const std::string kAnsiFolder = "\xCF\xE0\xEF\xEA\xE0";
const std::string kUtf8Folder = "Папка";

// Runs in a temporary folder and goes back to the previous one after.
class InTempFolder : public ::testing::Test {
 protected:
  InTempFolder() : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir_.path());
  }
  ~InTempFolder() override { std::filesystem::current_path(previous_); }

  std::string here() const { return std::filesystem::current_path().string(); }

  testing::TempDir dir_;

 private:
  std::filesystem::path previous_;
};

struct ExpandCase {
  const char* path;
  const char* expanded;  // "~" stands for the current folder
};

class ExpandFileNameTest : public InTempFolder, public ::testing::WithParamInterface<ExpandCase> {};

TEST_P(ExpandFileNameTest, ResolvesAgainstTheCurrentFolder) {
  std::string expected = GetParam().expanded;
  if (expected.substr(0, 1) == "~") expected = here() + expected.substr(1);
  EXPECT_EQ(expand_file_name(GetParam().path), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExpandFileNameTest,
    ::testing::Values(ExpandCase{"/a/b/c.dbf", "/a/b/c.dbf"}, ExpandCase{"/a/./b", "/a/b"},
                      ExpandCase{"/a//b///c", "/a/b/c"}, ExpandCase{"/a/b/../c", "/a/c"},
                      ExpandCase{"/a/b/..", "/a"}, ExpandCase{"/a/..", "/"}, ExpandCase{"/..", "/"},
                      ExpandCase{"/../../a", "/a"}, ExpandCase{"/", "/"},
                      ExpandCase{"/a/b/", "/a/b/"}, ExpandCase{"/a/b/.", "/a/b"},
                      ExpandCase{"x.dbf", "~/x.dbf"}, ExpandCase{"./x/../y.dbf", "~/y.dbf"},
                      ExpandCase{"sub/", "~/sub/"}, ExpandCase{".", "~"}, ExpandCase{"", "~"}));

TEST_F(InTempFolder, ExpandingDotDotLeavesTheCurrentFolder) {
  std::string parent = dir_.path().parent_path().string();
  EXPECT_EQ(expand_file_name(".."), parent);
  EXPECT_EQ(expand_file_name("../x"), parent + "/x");
  ASSERT_TRUE(set_current_directory("/"));
  EXPECT_EQ(expand_file_name("a"), "/a");
  EXPECT_EQ(expand_file_name(".."), "/");
}

struct PartsCase {
  const char* path;
  const char* folder;
  const char* name;
  const char* ext;
  const char* base;
};

class FileNamePartsTest : public ::testing::TestWithParam<PartsCase> {};

TEST_P(FileNamePartsTest, SplitsAtTheLastSlashAndDot) {
  const PartsCase& c = GetParam();
  EXPECT_EQ(extract_file_path(c.path), c.folder);
  EXPECT_EQ(extract_file_name(c.path), c.name);
  EXPECT_EQ(extract_file_ext(c.path), c.ext);
  EXPECT_EQ(base_name(c.path), c.base);
  EXPECT_EQ(has_extension(c.path), *c.ext != '\0');
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileNamePartsTest,
    ::testing::Values(PartsCase{"/out/supplier.dbf", "/out/", "supplier.dbf", ".dbf", "supplier"},
                      PartsCase{"supplier", "", "supplier", "", "supplier"},
                      PartsCase{"a.b/c", "a.b/", "c", "", "c"},
                      PartsCase{"/out/price.tar.gz", "/out/", "price.tar.gz", ".gz", "price.tar"},
                      PartsCase{"/out/", "/out/", "", "", ""},
                      PartsCase{"/out/name.", "/out/", "name.", ".", "name"},
                      PartsCase{"/.profile", "/", ".profile", ".profile", ""},
                      PartsCase{"", "", "", "", ""}));

TEST(PathsTest, ChangeFileExtReplacesOrAppends) {
  EXPECT_EQ(change_file_ext("/out/list.txt", ".dbf"), "/out/list.dbf");
  EXPECT_EQ(change_file_ext("/out/list", ".dbf"), "/out/list.dbf");
  EXPECT_EQ(change_file_ext("a.b/c", ".dbt"), "a.b/c.dbt");
  EXPECT_EQ(change_file_ext("/out/t.dbf", ""), "/out/t");
  EXPECT_EQ(change_file_ext("/out/t.tar.gz", ".dbf"), "/out/t.tar.dbf");
}

TEST(PathsTest, AFileNameComponentHoldsNoSeparatorOrReservedCharacter) {
  EXPECT_EQ(file_name_component("waybill_A-17"), "waybill_A-17");
  EXPECT_EQ(file_name_component("12.5"), "12.5");
  EXPECT_EQ(file_name_component(kAnsiFile), kAnsiFile) << "letters of the code page stay";
  EXPECT_EQ(file_name_component("/../a\\b:c*d?e\"f<g>h|i"), "_.._a_b_c_d_e_f_g_h_i");
  EXPECT_EQ(file_name_component(std::string("a\0b\x01\t\n\x1F\x20\x7F", 9)),
            std::string("a_b____ \x7F"));
  EXPECT_EQ(file_name_component(".."), "..") << "for the caller to judge";
  EXPECT_EQ(file_name_component(""), "");
}

TEST_F(InTempFolder, CyrillicAnsiNamesReachTheFileSystemAsUtf8) {
  std::string folder = dir_.path().string();
  std::filesystem::create_directory(dir_.path() / kUtf8Folder);
  testing::write_file((dir_.path() / kUtf8Folder / kUtf8File).string(), "x");

  std::string ansi = folder + "/" + kAnsiFolder + "/" + kAnsiFile;
  EXPECT_EQ(native_path(ansi), folder + "/" + kUtf8Folder + "/" + kUtf8File);
  EXPECT_EQ(ansi_path(folder + "/" + kUtf8Folder + "/" + kUtf8File), ansi);
  EXPECT_TRUE(file_exists(ansi));
  EXPECT_FALSE(directory_exists(ansi));
  EXPECT_TRUE(directory_exists(folder + "/" + kAnsiFolder));
  EXPECT_FALSE(file_exists(folder + "/" + kAnsiFolder));
  EXPECT_FALSE(file_exists(folder + "/" + kUtf8Folder + "/" + kUtf8File))
      << "UTF-8 bytes read as 1251 name another file";

  ASSERT_TRUE(set_current_directory(kAnsiFolder));
  EXPECT_EQ(current_directory(), folder + "/" + kAnsiFolder);
  EXPECT_TRUE(file_exists(kAnsiFile));
  EXPECT_EQ(expand_file_name(kAnsiFile), ansi);
  EXPECT_FALSE(set_current_directory(folder + "/missing"));
  EXPECT_EQ(current_directory(), folder + "/" + kAnsiFolder);
}

}  // namespace
}  // namespace pharmex::platform
