// The dBase IV memo file: its header, memo blocks, the free-block chain,
// damaged files and the memo lock.
#include "dbf/memo4_file.h"

#include <chrono>
#include <string>

#include "core/error.h"
#include "dbf/dbf_test_util.h"
#include "platform/file_system.h"
#include "testing/test_support.h"

namespace pharmex::dbf {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;
using testing::Get32;
using testing::Put32;

class Memo4FileTest : public ::testing::Test {
 protected:
  Memo4FileTest() : path_(dir_.file("ORDERS.DBT")) {
    write_file(path_, TMemo4File::InitialHeader("ORDERS"));
  }

  std::unique_ptr<TMemo4File> Open(bool shared = false) {
    auto memo = std::make_unique<TMemo4File>(path_, shared, true, platform::posix_file_system());
    memo->OpenMemo();
    return memo;
  }
  std::string Bytes() const { return read_file(path_); }
  uint32_t Word(size_t block, size_t offset = 0) const {
    return Get32(Bytes(), block * 512 + offset);
  }

  TempDir dir_;
  std::string path_;
};

TEST_F(Memo4FileTest, InitialHeaderHoldsNextFreeNameMarkerAndBlockSize) {
  const std::string header = TMemo4File::InitialHeader("PRICELIST2024");
  ASSERT_EQ(header.size(), 24u);
  EXPECT_EQ(header, std::string("\x01\0\0\0\0\0\0\0PRICELIS\0\0\x02\x01\0\x02\0\0", 24));
  EXPECT_EQ(TMemo4File::InitialHeader("AB").substr(8, 8), std::string("AB\0\0\0\0\0\0", 8));
}

TEST_F(Memo4FileTest, FirstOpeningExtendsTheHeaderToOneBlock) {
  auto memo = Open();
  EXPECT_EQ(memo->BlockSize(), 512u);
  const std::string bytes = Bytes();
  ASSERT_EQ(bytes.size(), 512u);
  EXPECT_EQ(bytes.substr(0, 24), TMemo4File::InitialHeader("ORDERS"));
  EXPECT_EQ(bytes.substr(24), std::string(488, '\0'));
}

TEST_F(Memo4FileTest, ReadOnlyOpeningLeavesTheFileAsItIs) {
  TMemo4File memo(path_, true, false, platform::posix_file_system());
  memo.OpenMemo();
  EXPECT_EQ(Bytes().size(), 24u);
}

TEST_F(Memo4FileTest, AThreeCharacterMemoTakesBlockOne) {
  auto memo = Open();
  EXPECT_EQ(memo->WriteMemo(0, std::string_view("abc")), 1);
  const std::string bytes = Bytes();
  ASSERT_EQ(bytes.size(), 1024u);
  EXPECT_EQ(bytes.substr(512, 11), std::string("\xFF\xFF\x08\0\x0B\0\0\0abc", 11));
  EXPECT_EQ(bytes.substr(523), std::string(501, '\0'));
  EXPECT_EQ(Word(0), 2u);  // next free block
  EXPECT_EQ(memo->MemoLength(1), 3u);
  EXPECT_EQ(memo->ReadMemo(1), "abc");
}

TEST_F(Memo4FileTest, TextsTakeWholeBlocksWithTheirEightByteHeader) {
  auto memo = Open();
  const std::string text(600, 'x');
  EXPECT_EQ(memo->WriteMemo(0, text), 1);
  EXPECT_EQ(Bytes().size(), 512u * 3);  // 608 bytes: two blocks
  EXPECT_EQ(Word(1, 4), 608u);
  EXPECT_EQ(Word(0), 3u);
  EXPECT_EQ(memo->WriteMemo(0, std::string(504, 'y')), 3);  // exactly one block
  EXPECT_EQ(Word(0), 4u);
  EXPECT_EQ(memo->ReadMemo(1), text);
  EXPECT_EQ(memo->ReadMemo(3), std::string(504, 'y'));
}

TEST_F(Memo4FileTest, ReadMemoStopsAtTheBufferOrTheText) {
  auto memo = Open();
  memo->WriteMemo(0, std::string_view("abcdef"));
  char small[4];
  EXPECT_EQ(memo->ReadMemo(1, small), 4u);
  EXPECT_EQ(std::string(small, 4), "abcd");
  char large[100];
  EXPECT_EQ(memo->ReadMemo(1, large), 6u);
  EXPECT_EQ(memo->ReadMemo(0, large), 0u);
  EXPECT_EQ(memo->MemoLength(0), 0u);
}

TEST_F(Memo4FileTest, AGrowingMemoFreesItsBlockWhichThenHeadsTheChain) {
  auto memo = Open();
  ASSERT_EQ(memo->WriteMemo(0, std::string_view("abc")), 1);
  EXPECT_EQ(memo->WriteMemo(1, std::string(600, 'x')), 2);
  EXPECT_EQ(Bytes().size(), 512u * 4);
  EXPECT_EQ(Word(0), 1u);     // the header points at the freed block
  EXPECT_EQ(Word(0, 4), 0u);  // and its second word is 0
  EXPECT_EQ(Word(1), 4u);     // the run's link: the end of the file
  EXPECT_EQ(Word(1, 4), 1u);  // one block long
  EXPECT_EQ(memo->ReadMemo(2), std::string(600, 'x'));

  // The next one-block memo takes the freed block; the chain is empty again.
  EXPECT_EQ(memo->WriteMemo(0, std::string_view("new")), 1);
  EXPECT_EQ(Word(0), 4u);
  EXPECT_EQ(memo->ReadMemo(1), "new");
}

TEST_F(Memo4FileTest, ARewrittenMemoThatStillFitsStaysOnItsBlocks) {
  auto memo = Open();
  ASSERT_EQ(memo->WriteMemo(0, std::string(900, 'a')), 1);
  ASSERT_EQ(memo->WriteMemo(0, std::string_view("tail")), 3);
  EXPECT_EQ(memo->WriteMemo(1, std::string(700, 'b')), 1);
  EXPECT_EQ(Word(0), 4u);  // nothing left free
  EXPECT_EQ(memo->ReadMemo(1), std::string(700, 'b'));
  EXPECT_EQ(memo->ReadMemo(3), "tail");
}

TEST_F(Memo4FileTest, ALongerFreeRunIsSplitAndItsRestStaysInTheChain) {
  auto memo = Open();
  ASSERT_EQ(memo->WriteMemo(0, std::string(1200, 'a')), 1);  // blocks 1-3
  ASSERT_EQ(memo->WriteMemo(0, std::string_view("end")), 4);
  ASSERT_EQ(memo->WriteMemo(1, std::string()), 0);  // emptied: blocks 1-3 freed
  EXPECT_EQ(Word(0), 1u);
  EXPECT_EQ(Word(1, 4), 3u);

  EXPECT_EQ(memo->WriteMemo(0, std::string_view("one")), 1);
  EXPECT_EQ(Word(0), 2u);     // the header links to the rest of the run
  EXPECT_EQ(Word(2), 5u);     // which keeps the old successor
  EXPECT_EQ(Word(2, 4), 2u);  // and is two blocks long
  EXPECT_EQ(memo->WriteMemo(0, std::string(1000, 'z')), 2);  // exactly fits
  EXPECT_EQ(Word(0), 5u);
  EXPECT_EQ(memo->ReadMemo(4), "end");
  EXPECT_EQ(Bytes().size(), 512u * 5);
}

TEST_F(Memo4FileTest, FirstFitSkipsRunsThatAreTooShort) {
  auto memo = Open();
  ASSERT_EQ(memo->WriteMemo(0, std::string_view("a")), 1);
  ASSERT_EQ(memo->WriteMemo(0, std::string_view("b")), 2);
  ASSERT_EQ(memo->WriteMemo(0, std::string(1000, 'c')), 3);  // blocks 3-4
  ASSERT_EQ(memo->WriteMemo(0, std::string_view("d")), 5);
  memo->WriteMemo(3, std::string());  // run 3-4 freed first
  memo->WriteMemo(1, std::string());  // then run 1, now at the head
  ASSERT_EQ(Word(0), 1u);
  EXPECT_EQ(memo->WriteMemo(0, std::string(600, 'e')), 3);  // run 1 is too short
  EXPECT_EQ(Word(1), 6u);                                   // run 1 now links past the taken run
  EXPECT_EQ(Word(0), 1u);
}

TEST_F(Memo4FileTest, EmptyTextsWriteNoBlock) {
  auto memo = Open();
  EXPECT_EQ(memo->WriteMemo(0, std::string()), 0);
  EXPECT_EQ(Bytes().size(), 512u);
}

TEST_F(Memo4FileTest, DamagedFreeChainsNeverHandOutLiveMemos) {
  auto memo = Open();
  ASSERT_EQ(memo->WriteMemo(0, std::string(2000, 'a')), 1);
  // A stale header pointing at the live memo in block 1.
  std::string bytes = Bytes();
  Put32(bytes, 0, 1);
  write_file(path_, bytes);
  EXPECT_EQ(memo->WriteMemo(0, std::string_view("b")), 5);
  EXPECT_EQ(memo->ReadMemo(1), std::string(2000, 'a'));

  // A chain that runs in a circle.
  bytes = Bytes();
  Put32(bytes, 0, 6);
  bytes.append(512 * 2, '\0');
  Put32(bytes, 6 * 512, 7);
  Put32(bytes, 6 * 512 + 4, 1);
  Put32(bytes, 7 * 512, 6);
  Put32(bytes, 7 * 512 + 4, 1);
  write_file(path_, bytes);
  EXPECT_EQ(memo->WriteMemo(0, std::string(600, 'c')), 8);
  EXPECT_EQ(memo->ReadMemo(8), std::string(600, 'c'));
}

TEST_F(Memo4FileTest, APartlyWrittenLastBlockIsNotHandedOutAgain) {
  auto memo = Open();
  ASSERT_EQ(memo->WriteMemo(0, std::string_view("abc")), 1);
  std::string bytes = Bytes();
  bytes.resize(512 + 11);  // another writer did not pad its last memo
  Put32(bytes, 0, 1);      // and left the header behind
  write_file(path_, bytes);
  EXPECT_EQ(memo->WriteMemo(0, std::string_view("def")), 2);
  EXPECT_EQ(memo->ReadMemo(1), "abc");
}

struct DamageCase {
  const char* name;
  size_t offset;  // where to patch a 32-bit word after one memo "abc" at block 1
  uint32_t value;
  int64_t block;  // the block read
};

class Memo4DamageTest : public Memo4FileTest, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(Memo4DamageTest, IsReportedAsABadMemoRecord) {
  const DamageCase& c = GetParam();
  Open()->WriteMemo(0, std::string_view("abc"));
  std::string bytes = Bytes();
  Put32(bytes, c.offset, c.value);
  write_file(path_, bytes);
  const std::string message = "Memo record is bad in " + path_;
  auto memo = Open();
  EXPECT_THROW_MSG(memo->ReadMemo(c.block), DbfError, message);
  EXPECT_THROW_MSG(memo->MemoLength(c.block), DbfError, message);
}

INSTANTIATE_TEST_SUITE_P(Cases, Memo4DamageTest,
                         ::testing::Values(DamageCase{"BlockBeyondTheEnd", 0, 1, 2},
                                           DamageCase{"BlockFarBeyondTheEnd", 0, 1, 4000000000},
                                           DamageCase{"NegativeBlock", 0, 1, -1},
                                           DamageCase{"NoMemoMarker", 512, 0x0008FFFE, 1},
                                           DamageCase{"LengthPastTheEnd", 516, 100000, 1},
                                           DamageCase{"LengthShorterThanItsHeader", 516, 7, 1},
                                           DamageCase{"HugeLength", 516, 0xFFFFFFFF, 1}),
                         [](const ::testing::TestParamInfo<DamageCase>& info) {
                           return info.param.name;
                         });

TEST_F(Memo4FileTest, AnUnusableBlockSizeIsABadMemoFile) {
  for (uint32_t size : {0u, 4u, 0x80000000u}) {
    std::string header = TMemo4File::InitialHeader("ORDERS");
    Put32(header, 20, size);
    write_file(path_, header);
    TMemo4File memo(path_, false, true, platform::posix_file_system());
    SCOPED_TRACE(size);
    EXPECT_THROW_MSG(memo.OpenMemo(), DbfError, "Memo record is bad in " + path_);
    EXPECT_FALSE(memo.IsOpen());
  }
  write_file(path_, std::string(10, '\0'));  // not even a header
  TMemo4File memo(path_, false, true, platform::posix_file_system());
  EXPECT_THROW_MSG(memo.OpenMemo(), DbfError, "Memo record is bad in " + path_);
}

TEST_F(Memo4FileTest, AMissingFileIsReported) {
  TMemo4File memo(dir_.file("NONE.DBT"), true, true, platform::posix_file_system());
  EXPECT_THROW_MSG(memo.OpenMemo(), DbfError,
                   "File " + dir_.file("NONE.DBT") + " could not be found");
}

// The memo lock, held by another opener of the file.
class MemoLockTest : public Memo4FileTest {
 protected:
  MemoLockTest() {
    memo_ = Open(true);
    other_ = platform::posix_file_system().open(path_, platform::FileAccess::kReadWrite,
                                                platform::FileSharing::kShared);
    EXPECT_TRUE(other_->try_lock(0x7FFFFFFD, 1));
  }

  std::unique_ptr<TMemo4File> memo_;
  std::unique_ptr<platform::File> other_;
  std::vector<std::chrono::milliseconds> pauses_;
};

TEST_F(MemoLockTest, IsTriedAHundredTimesFiftyMillisecondsApart) {
  memo_->SetLockRetry({100, std::chrono::milliseconds(50),
                       [this](std::chrono::milliseconds pause) { pauses_.push_back(pause); }});
  EXPECT_THROW_MSG(memo_->WriteMemo(0, std::string_view("abc")), DbfError,
                   "Can not Lock file " + path_);
  EXPECT_EQ(pauses_.size(), 99u);
  EXPECT_EQ(pauses_.front(), std::chrono::milliseconds(50));
  EXPECT_EQ(Bytes().size(), 512u);  // nothing written
}

TEST_F(MemoLockTest, IsTakenOnceTheOtherWriterLetsGo) {
  memo_->SetLockRetry({100, std::chrono::milliseconds(50), [this](std::chrono::milliseconds p) {
                         pauses_.push_back(p);
                         if (pauses_.size() == 3) other_->unlock(0x7FFFFFFD, 1);
                       }});
  EXPECT_EQ(memo_->WriteMemo(0, std::string_view("abc")), 1);
  EXPECT_EQ(pauses_.size(), 3u);
  EXPECT_EQ(memo_->LockCount(), 0);  // released after the write
  EXPECT_TRUE(other_->try_lock(0x7FFFFFFD, 1));
}

TEST_F(MemoLockTest, FollowsTheLockProtocol) {
  memo_->SetLockProtocol(TLockProtocol::DB4Lock);  // 0xEFFFFFFE, length 2
  memo_->SetLockRetry({1, std::chrono::milliseconds(0), {}});
  EXPECT_EQ(memo_->WriteMemo(0, std::string_view("abc")), 1);
  EXPECT_TRUE(other_->try_lock(0xEFFFFFFE, 2));
  EXPECT_THROW_MSG(memo_->WriteMemo(0, std::string_view("abc")), DbfError,
                   "Can not Lock file " + path_);
}

}  // namespace
}  // namespace pharmex::dbf
