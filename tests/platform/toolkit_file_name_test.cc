#include "platform/toolkit_file_name.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/paths.h"
#include "platform/text_codec.h"
#include "platform/toolkit.h"

namespace pharmex::platform {
namespace {

std::string ansi(std::string_view utf8) {
  return text_codec().utf8_to_ansi(utf8);
}

struct NameCase {
  const char* label;
  std::string name;
  bool valid;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << c.label;
}

class FileNameRuleTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(FileNameRuleTest, DecidesWhetherADialogAcceptsTheName) {
  EXPECT_EQ(is_valid_file_name(GetParam().name), GetParam().valid) << GetParam().name;
}

// "я" is two bytes in UTF-8 but one in code page 1251: limits count UTF-8.
INSTANTIATE_TEST_SUITE_P(
    Names, FileNameRuleTest,
    ::testing::Values(NameCase{"plain", "supplier.dbf", true},
                      NameCase{"relative_folder", "out/supplier.dbf", true},
                      NameCase{"absolute", "/tmp/out/supplier", true},
                      NameCase{"blanks_inside", "my order.dbf", true},
                      NameCase{"cyrillic", ansi("Прайс.dbf"), true}, NameCase{"empty", "", false},
                      NameCase{"tab", "a\tb.dbf", false}, NameCase{"newline", "a\nb.dbf", false},
                      NameCase{"delete_char", "a\x7F.dbf", false},
                      NameCase{"nul", std::string("a\0b", 3), false},
                      NameCase{"trailing_slash", "out/", false}, NameCase{"dot", ".", false},
                      NameCase{"dot_dot", "out/..", false},
                      NameCase{"name_255_bytes", std::string(255, 'a'), true},
                      NameCase{"name_256_bytes", std::string(256, 'a'), false},
                      NameCase{"name_128_cyrillic", std::string(127, '\xFF') + "a", true},
                      NameCase{"name_128_cyrillic_two_byte", std::string(128, '\xFF'), false}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(FileNameRules, PathLimitCountsUtf8Bytes) {
  // Folders of 100 letters "я" (200 bytes in UTF-8) each, then a file name
  // that brings the whole path to exactly the limit.
  std::string path;
  while (native_path(path).size() + 201 + 10 <= kMaxPathBytes)
    path += "/" + std::string(100, '\xFF');
  path += "/" + std::string(kMaxPathBytes - native_path(path).size() - 1, 'b');
  ASSERT_EQ(native_path(path).size(), kMaxPathBytes);
  EXPECT_TRUE(is_valid_file_name(path));
  EXPECT_FALSE(is_valid_file_name(path + "c"));
}

TEST(FileNameRules, WildcardsAreStarAndQuestionMark) {
  EXPECT_TRUE(has_wildcards("*.txt"));
  EXPECT_TRUE(has_wildcards("order?.dbf"));
  EXPECT_FALSE(has_wildcards("order[1].dbf"));
}

struct MaskCase {
  std::string name;
  std::string mask;
  bool matches;
};

void PrintTo(const MaskCase& c, std::ostream* os) {
  *os << c.name << " against " << c.mask;
}

class MaskTest : public ::testing::TestWithParam<MaskCase> {};

TEST_P(MaskTest, MatchesWithoutRegardToCase) {
  EXPECT_EQ(matches_mask(GetParam().name, GetParam().mask), GetParam().matches)
      << GetParam().name << " against " << GetParam().mask;
}

INSTANTIATE_TEST_SUITE_P(
    Masks, MaskTest,
    ::testing::Values(MaskCase{"price.dbf", "*.dbf", true}, MaskCase{"PRICE.DBF", "*.dbf", true},
                      MaskCase{"day.sst", "*.SST", true}, MaskCase{"price.dbt", "*.dbf", false},
                      MaskCase{"price.dbf.bak", "*.dbf", false}, MaskCase{"readme", "*.*", true},
                      MaskCase{"readme", "*", true}, MaskCase{"readme", "", true},
                      MaskCase{"a.txt", "*.dbf; *.txt", true}, MaskCase{"a1.txt", "a?.txt", true},
                      MaskCase{"a12.txt", "a?.txt", false}, MaskCase{"aXbXc", "*X*X*", true},
                      MaskCase{"aXb", "*X*X*", false},
                      MaskCase{ansi("ПРАЙС.dbf"), ansi("прайс*"), true}));

TEST(FileNameRules, ResolveTakesRelativeNamesInTheFolderShown) {
  EXPECT_EQ(resolve_in_folder("/data/out", "a.dbf"), "/data/out/a.dbf");
  EXPECT_EQ(resolve_in_folder("/data/out", "../in/./a.dbf"), "/data/in/a.dbf");
  EXPECT_EQ(resolve_in_folder("/data/out", "/tmp//a.dbf"), "/tmp/a.dbf");
  EXPECT_EQ(resolve_in_folder("/", "a.dbf"), "/a.dbf");
  EXPECT_EQ(resolve_in_folder("/data/out", ".."), "/data");
  EXPECT_EQ(resolve_in_folder("/data", "../.."), "/");
  EXPECT_EQ(resolve_in_folder("/data", "sub/"), "/data/sub");
}

TEST(FileNameRules, TrimRemovesBlanksAndControlCharactersAtTheEnds) {
  EXPECT_EQ(trim_blanks("  a b\t\r\n"), "a b");
  EXPECT_EQ(trim_blanks("\x7F\x01 "), "");
  EXPECT_EQ(trim_blanks(ansi("\xC2\xA0x")), ansi("\xC2\xA0x")) << "no-break space is a character";
}

TEST(FileTypeTest, ParseSplitsAtTheFirstBar) {
  EXPECT_EQ(FileType::parse("DBF 4 (dBaseIV)(*.dbf)|*.dbf"),
            (FileType{"DBF 4 (dBaseIV)(*.dbf)", "*.dbf"}));
  EXPECT_EQ(FileType::parse("Tables|*.dbf;*.DBF"), (FileType{"Tables", "*.dbf;*.DBF"}));
  EXPECT_EQ(FileType::parse("All"), (FileType{"All", "*"}));
}

}  // namespace
}  // namespace pharmex::platform
