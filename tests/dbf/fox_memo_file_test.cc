// The FoxPro memo file: big-endian header and memo headers, small blocks.
#include "dbf/fox_memo_file.h"

#include <string>

#include "core/error.h"
#include "testing/test_support.h"

namespace pharmex::dbf {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;

std::string Big32(uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

class FoxMemoFileTest : public ::testing::Test {
 protected:
  FoxMemoFileTest() { memo_.OpenMemo(); }

  static std::string NewMemoFile(const std::string& path) {
    write_file(path, TFoxMemoFile::InitialHeader());
    return path;
  }
  std::string Bytes() const { return read_file(path_); }

  TempDir dir_;
  std::string path_ = NewMemoFile(dir_.file("ORDERS.FPT"));
  TFoxMemoFile memo_{path_, false, true, platform::posix_file_system()};
};

TEST_F(FoxMemoFileTest, InitialHeaderNamesBlockEightAndSixtyFourByteBlocks) {
  const std::string header = TFoxMemoFile::InitialHeader();
  ASSERT_EQ(header.size(), 512u);
  EXPECT_EQ(header.substr(0, 8), std::string("\0\0\0\x08\0\0\0\x40", 8));
  EXPECT_EQ(header.substr(8), std::string(504, '\0'));
  EXPECT_EQ(memo_.BlockSize(), 64u);
}

TEST_F(FoxMemoFileTest, MemosCarryTypeAndLengthBigEndian) {
  EXPECT_EQ(memo_.WriteMemo(0, std::string_view("abc")), 8);
  const std::string bytes = Bytes();
  ASSERT_EQ(bytes.size(), 512u + 64);
  EXPECT_EQ(bytes.substr(512, 11), Big32(1) + Big32(3) + "abc");
  EXPECT_EQ(bytes.substr(0, 4), Big32(9));
  EXPECT_EQ(memo_.ReadMemo(8), "abc");

  EXPECT_EQ(memo_.WriteMemo(0, std::string(100, 'x')), 9);  // 108 bytes: two blocks
  EXPECT_EQ(Bytes().substr(0, 4), Big32(11));
  EXPECT_EQ(Bytes().size(), 512u + 3 * 64);
}

TEST_F(FoxMemoFileTest, ARewrittenMemoStaysWhenItsBlocksSuffice) {
  ASSERT_EQ(memo_.WriteMemo(0, std::string(100, 'x')), 8);
  EXPECT_EQ(memo_.WriteMemo(8, std::string(120, 'y')), 8);
  EXPECT_EQ(memo_.ReadMemo(8), std::string(120, 'y'));
  EXPECT_EQ(memo_.WriteMemo(8, std::string(121, 'z')), 10);
  EXPECT_EQ(memo_.ReadMemo(10), std::string(121, 'z'));
}

TEST_F(FoxMemoFileTest, UnknownTypesAndLengthsPastTheEndAreBadMemos) {
  memo_.WriteMemo(0, std::string_view("abc"));
  std::string bytes = Bytes();
  bytes.replace(512, 4, Big32(2));
  write_file(path_, bytes);
  const std::string message = "Memo record is bad in " + path_;
  EXPECT_THROW_MSG(memo_.ReadMemo(8), DbfError, message);
  bytes.replace(512, 8, Big32(0) + Big32(1000));
  write_file(path_, bytes);
  EXPECT_THROW_MSG(memo_.ReadMemo(8), DbfError, message);
  EXPECT_THROW_MSG(memo_.ReadMemo(9), DbfError, message);
}

TEST_F(FoxMemoFileTest, ABlockSizeOfZeroIsABadMemoFile) {
  std::string header = TFoxMemoFile::InitialHeader();
  header[7] = 0;
  write_file(dir_.file("ZERO.FPT"), header);
  TFoxMemoFile memo(dir_.file("ZERO.FPT"), false, true, platform::posix_file_system());
  EXPECT_THROW_MSG(memo.OpenMemo(), DbfError, "Memo record is bad in " + dir_.file("ZERO.FPT"));
}

}  // namespace
}  // namespace pharmex::dbf
