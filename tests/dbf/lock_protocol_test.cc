#include "dbf/lock_protocol.h"

#include <gtest/gtest.h>

#include <string>

namespace pharmex::dbf {
namespace {

struct ProtocolCase {
  TLockProtocol protocol;
  TLockOffsets offsets;
  // Record 5 of a table with header length 129 and record length 103.
  uint64_t record5;
};

std::string ProtocolName(const ::testing::TestParamInfo<ProtocolCase>& info) {
  static const char* const kNames[] = {"Default", "DB4Lock", "ClipLock", "FoxLock"};
  return kNames[static_cast<int>(info.param.protocol)];
}

class LockProtocolTest : public ::testing::TestWithParam<ProtocolCase> {};

TEST_P(LockProtocolTest, OffsetsOfEachFamily) {
  const ProtocolCase& c = GetParam();
  EXPECT_EQ(LockOffsets(c.protocol).table, c.offsets.table);
  EXPECT_EQ(LockOffsets(c.protocol).append, c.offsets.append);
  EXPECT_EQ(LockOffsets(c.protocol).memo, c.offsets.memo);
  EXPECT_EQ(RecordLockRange(c.protocol, 5, 129, 103, false), (TLockRange{c.record5, 1}));
}

INSTANTIATE_TEST_SUITE_P(
    Families, LockProtocolTest,
    ::testing::Values(ProtocolCase{TLockProtocol::Default,
                                   {{0x40000000, 0x3FFFFFFF}, {0x7FFFFFFE, 1}, {0x7FFFFFFD, 1}},
                                   129 + 4 * 103 + 0x40000000},
                      ProtocolCase{TLockProtocol::FoxLock,
                                   {{0x40000000, 0x3FFFFFFF}, {0x7FFFFFFE, 1}, {0x7FFFFFFD, 1}},
                                   129 + 4 * 103 + 0x40000000},
                      ProtocolCase{TLockProtocol::DB4Lock,
                                   {{0x40000000, 0xB0000000}, {0xEFFFFFFF, 1}, {0xEFFFFFFE, 2}},
                                   0xEFFFFFFE - 5},
                      ProtocolCase{TLockProtocol::ClipLock,
                                   {{1000000000, 1000000000}, {1000000000, 1}, {1000000000, 1}},
                                   1000000000 + 5}),
    ProtocolName);

TEST(LockProtocolTest, RecordLocksWithIndexFilesCountDownFromTheAppendByte) {
  EXPECT_EQ(RecordLockRange(TLockProtocol::Default, 5, 129, 103, true).offset, 0x7FFFFFFEu - 5);
}

TEST(LockProtocolTest, RecordOffsetsStayWithin32BitsLikeThePeersArithmetic) {
  // 0x40000000 + 33 + (r - 1) * 65535 wraps past 2^32 for a large r.
  TLockRange range = RecordLockRange(TLockProtocol::Default, 70000, 33, 65535, false);
  EXPECT_EQ(range.offset, (33u + 69999u * 65535u + 0x40000000u) & 0xFFFFFFFFu);
  EXPECT_LT(range.offset, 0x100000000u);
}

TEST(LockProtocolTest, LockAllCoversTheFileFromItsStart) {
  EXPECT_EQ(kLockAllRange, (TLockRange{0, 0x7FFFFFFF}));
}

}  // namespace
}  // namespace pharmex::dbf
