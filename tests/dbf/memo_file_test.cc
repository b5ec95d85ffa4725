// The dBase III / Clipper memo file, and the memo paths of a table.
#include "dbf/memo_file.h"

#include <string>

#include "core/error.h"
#include "dbf/dbf_test_util.h"
#include "testing/test_support.h"

namespace pharmex::dbf {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;
using testing::Get32;
using testing::Put32;

class MemoFileTest : public ::testing::Test {
 protected:
  MemoFileTest() { memo_.OpenMemo(); }

  static std::string NewMemoFile(const std::string& path) {
    write_file(path, TMemoFile::InitialHeader("ORDERS"));
    return path;
  }

  std::string Bytes() const { return read_file(path_); }

  TempDir dir_;
  std::string path_ = NewMemoFile(dir_.file("ORDERS.DBT"));
  TMemoFile memo_{path_, false, true, platform::posix_file_system()};
};

TEST_F(MemoFileTest, InitialHeaderIsOneBlockAndAnEndMark) {
  const std::string header = TMemoFile::InitialHeader("PRICELIST2024");
  ASSERT_EQ(header.size(), 513u);
  EXPECT_EQ(Get32(header, 0), 1u);
  EXPECT_EQ(header.substr(4, 12), std::string("\0\0\0\0PRICELIS", 12));
  EXPECT_EQ(header.substr(16, 496), std::string(496, '\0'));
  EXPECT_EQ(header[512], '\x1A');
}

TEST_F(MemoFileTest, TextsEndWithTwoEndMarksAndFillWholeBlocks) {
  EXPECT_EQ(memo_.BlockSize(), 512u);
  EXPECT_EQ(memo_.WriteMemo(0, std::string_view("abc")), 1);
  std::string bytes = Bytes();
  ASSERT_EQ(bytes.size(), 1024u);
  EXPECT_EQ(bytes.substr(512, 6), "abc\x1A\x1A" + std::string(1, '\0'));
  EXPECT_EQ(Get32(bytes, 0), 2u);
  EXPECT_EQ(memo_.ReadMemo(1), "abc");
  EXPECT_EQ(memo_.MemoLength(1), 3u);

  // 510 characters and the two marks fill one block; 511 need two.
  EXPECT_EQ(memo_.WriteMemo(0, std::string(510, 'a')), 2);
  EXPECT_EQ(memo_.WriteMemo(0, std::string(511, 'b')), 3);
  EXPECT_EQ(Get32(Bytes(), 0), 5u);
  EXPECT_EQ(Bytes().size(), 512u * 5);
  EXPECT_EQ(memo_.ReadMemo(3), std::string(511, 'b'));
}

TEST_F(MemoFileTest, ARewrittenMemoStaysWhenItsBlocksSufficeAndMovesOtherwise) {
  ASSERT_EQ(memo_.WriteMemo(0, std::string(700, 'a')), 1);  // blocks 1-2
  EXPECT_EQ(memo_.WriteMemo(1, std::string(1000, 'b')), 1);
  EXPECT_EQ(memo_.ReadMemo(1), std::string(1000, 'b'));
  EXPECT_EQ(memo_.WriteMemo(1, std::string(1100, 'c')), 3);  // three blocks: moves
  EXPECT_EQ(Get32(Bytes(), 0), 6u);
  EXPECT_EQ(memo_.WriteMemo(3, std::string()), 0);
}

// A 700-character memo in blocks 1-2, the file then left by another writer
// at `size` bytes with a header that still names block 1 as free.
struct StaleHeaderCase {
  const char* label;
  size_t size;
};

class StaleHeaderTest : public MemoFileTest,
                        public ::testing::WithParamInterface<StaleHeaderCase> {};

TEST_P(StaleHeaderTest, NeverSendsAMemoOverAnother) {
  ASSERT_EQ(memo_.WriteMemo(0, std::string(700, 'a')), 1);
  std::string bytes = Bytes();
  bytes.resize(GetParam().size);
  Put32(bytes, 0, 1);
  write_file(path_, bytes);
  EXPECT_EQ(memo_.WriteMemo(0, std::string_view("b")), 3);
  EXPECT_EQ(memo_.ReadMemo(1), std::string(700, 'a'));
  EXPECT_EQ(memo_.ReadMemo(3), "b");
}

INSTANTIATE_TEST_SUITE_P(Files, StaleHeaderTest,
                         ::testing::Values(StaleHeaderCase{"PaddedToItsBlocks", 3 * 512},
                                           // The memo's end marks are its last bytes.
                                           StaleHeaderCase{"NotPadded", 512 + 700 + 2}),
                         [](const ::testing::TestParamInfo<StaleHeaderCase>& info) {
                           return info.param.label;
                         });

TEST_F(MemoFileTest, ATextWithoutEndMarkStopsAtTheEndOfTheFileOrTheScanLimit) {
  std::string bytes = Bytes();
  bytes.resize(512);
  bytes += "open";
  write_file(path_, bytes);
  EXPECT_EQ(memo_.ReadMemo(1), "open");

  bytes.resize(512);
  bytes += std::string(70000, 'x');
  write_file(path_, bytes);
  EXPECT_EQ(memo_.MemoLength(1), 65520u);
}

TEST_F(MemoFileTest, ABlockBeyondTheEndIsABadMemo) {
  // A new file ends with the 0x1A where block 1 starts: block 1 is there
  // (and empty), block 2 is not.
  EXPECT_EQ(memo_.ReadMemo(1), "");
  EXPECT_THROW_MSG(memo_.ReadMemo(2), DbfError, "Memo record is bad in " + path_);
  EXPECT_THROW_MSG(memo_.ReadMemo(-3), DbfError, "Memo record is bad in " + path_);
}

TEST(MemoPathTest, TakesTheCaseOfTheTableExtension) {
  EXPECT_EQ(TMemoFile::MemoPath("/out/ORDERS.DBF", ".dbt"), "/out/ORDERS.DBT");
  EXPECT_EQ(TMemoFile::MemoPath("/out/orders.dbf", ".dbt"), "/out/orders.dbt");
  EXPECT_EQ(TMemoFile::MemoPath("/out/orders.Dbf", ".fpt"), "/out/orders.fpt");
  EXPECT_EQ(TMemoFile::MemoPath("/out.d/orders", ".dbt"), "/out.d/orders.dbt");
}

TEST(MemoPathTest, FindsTheMemoFileInEitherCase) {
  TempDir dir;
  platform::FileSystem& fs = platform::posix_file_system();
  write_file(dir.file("A.dbt"), "");
  EXPECT_EQ(TMemoFile::FindMemoPath(dir.file("A.DBF"), ".dbt", fs), dir.file("A.dbt"));
  write_file(dir.file("b.DBT"), "");
  EXPECT_EQ(TMemoFile::FindMemoPath(dir.file("b.dbf"), ".dbt", fs), dir.file("b.DBT"));
  // The table's own case wins when both exist.
  write_file(dir.file("A.DBT"), "");
  EXPECT_EQ(TMemoFile::FindMemoPath(dir.file("A.DBF"), ".dbt", fs), dir.file("A.DBT"));
  EXPECT_EQ(TMemoFile::FindMemoPath(dir.file("C.DBF"), ".fpt", fs), dir.file("C.FPT"));
}

}  // namespace
}  // namespace pharmex::dbf
