#include "dbf/dbf_table.h"

#include <cctype>
#include <string>

#include "core/error.h"
#include "dbf/dbf_field_layer.h"
#include "dbf/dbf_test_util.h"
#include "dbf/fault_file_system.h"
#include "platform/clock.h"
#include "testing/test_support.h"

namespace pharmex::dbf {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;
using testing::FieldSpec;
using testing::Get32;
using testing::MakeTable;
using testing::Put16;
using testing::TableSpec;

// NAME C(80), QNT N(14,2), GDATE D: header length 129, record length 103.
TableSpec OrdersSpec() {
  TableSpec spec;
  spec.fields = {{"NAME", 'C', 80, 0}, {"QNT", 'N', 14, 2}, {"GDATE", 'D', 8, 0}};
  return spec;
}

TableSpec ThreeRecords() {
  TableSpec spec;
  spec.fields = {{"ID", 'N', 3, 0}};
  spec.records = {"  1", "  2", "  3"};
  spec.deleted = {false, true, false};
  return spec;
}

class DbfTableTest : public ::testing::Test {
 protected:
  DbfTableTest() : path_(dir_.file("ORDERS.DBF")) {}

  void Write(const TableSpec& spec) { write_file(path_, MakeTable(spec)); }
  std::string Bytes() const { return read_file(path_); }

  TempDir dir_;
  std::string path_;
  // What the tables go through, and the moment their headers bear.
  platform::FileSystem& files_ = platform::posix_file_system();
  platform::FixedClock clock_{DateParts{2024, 3, 5, 13, 45, 30, 250}};
};

TEST_F(DbfTableTest, OpensAFreshTableAndLaysOutItsFields) {
  Write(OrdersSpec());
  ASSERT_EQ(Bytes().size(), 130u);
  TDbfTable table(dir_.file("ORDERS"), true, true, files_, clock_);  // ".DBF" added
  table.OpenTable();
  EXPECT_EQ(table.FileName(), path_);
  EXPECT_EQ(table.HeaderLength(), 129u);
  EXPECT_EQ(table.RecordLength(), 103u);
  EXPECT_EQ(table.RecordCount(), 0);
  ASSERT_EQ(table.FieldCount(), 3);
  EXPECT_EQ(table.Field(0).name, "NAME");
  EXPECT_EQ(table.Field(1).offset, 81u);
  EXPECT_EQ(table.Field(1).decimals, 2u);
  EXPECT_EQ(table.Field(2).offset, 95u);
  EXPECT_EQ(table.Field(2).number, 3);
  EXPECT_TRUE(table.BeforeFirst());
  EXPECT_FALSE(table.GotoRecord(kFirstRecord));
  EXPECT_TRUE(table.AfterLast());
}

TEST_F(DbfTableTest, AppendWritesTheRecordTheEndMarkAndAStampedHeader) {
  Write(OrdersSpec());
  {
    TDbfFieldLayer table(path_, true, true, files_, clock_);
    table.OpenTable();
    table.BlankRecord();
    table.PutString(0, "ASPIRIN", true);
    table.PutNumber(1, 12.5);
    table.PutDate(2, *encode_date(2024, 3, 1));
    table.AppendRecord();
    EXPECT_EQ(table.RecordCount(), 1);
    EXPECT_EQ(table.RecordNumber(), 1);
  }
  TableSpec expected = OrdersSpec();
  expected.records = {"ASPIRIN" + std::string(73, ' ') + "         12.50" + "20240301"};
  std::string want = MakeTable(expected);
  want[1] = 24;  // 2024 is stored as 24, not 124
  want[2] = 3;
  want[3] = 5;
  testing::Put32(want, 16, ((13 * 64 + 45) * 64 + 30) * 1024 + 250);
  std::string got = Bytes();
  ASSERT_EQ(got.size(), 233u);
  EXPECT_EQ(got[232], '\x1A');
  EXPECT_EQ(Get32(got, 4), 1u);
  EXPECT_EQ(got, want);
}

TEST_F(DbfTableTest, HeaderWriteKeepsOnlyTheLowFlagBitsAndClearsEncryption) {
  TableSpec spec = OrdersSpec();
  std::string bytes = MakeTable(spec);
  bytes[28] = static_cast<char>(0xFB);
  bytes[24] = 0x55;  // never changed
  write_file(path_, bytes);
  TDbfFieldLayer table(path_, false, true, files_, clock_);
  table.OpenTable();
  table.SetUserID(-2);
  table.BlankRecord();
  table.AppendRecord();
  std::string got = Bytes();
  EXPECT_EQ(static_cast<uint8_t>(got[28]), 0x03);
  EXPECT_EQ(got[24], 0x55);
  EXPECT_EQ(Get32(got, 20), 0xFFFFFFFEu);
}

TEST_F(DbfTableTest, CountsRecordsFromTheFileSizeNotTheHeader) {
  TableSpec spec = ThreeRecords();
  spec.records = {"  1", "  2", "  3", "  4", "  5", "  6", "  7"};
  spec.header_count = 5;
  Write(spec);
  TDbfFieldLayer table(path_, true, true, files_, clock_);
  table.OpenTable();
  EXPECT_EQ(table.RecordCount(), 7);
  table.BlankRecord();
  table.PutInteger(0, 8);
  table.AppendRecord();
  EXPECT_EQ(table.RecordNumber(), 8);
  std::string got = Bytes();
  EXPECT_EQ(Get32(got, 4), 8u);
  EXPECT_EQ(got.substr(table.HeaderLength() + 7 * 4), std::string("   8\x1A"));
}

TEST_F(DbfTableTest, MovesByPositionCodesAtBothEnds) {
  Write(ThreeRecords());
  TDbfTable table(path_, true, false, files_, clock_);
  table.OpenTable();
  ASSERT_TRUE(table.GotoRecord(kFirstRecord));
  EXPECT_EQ(table.RecordNumber(), 1);
  EXPECT_FALSE(table.GotoRecord(kPriorRecord));  // before record 1: nothing read
  EXPECT_TRUE(table.BeforeFirst());
  EXPECT_EQ(table.RecordNumber(), 1);
  ASSERT_TRUE(table.GotoRecord(kNextRecord));
  EXPECT_TRUE(table.RecordDeleted());  // still counted and readable by number
  ASSERT_TRUE(table.GotoRecord(kLastRecord));
  EXPECT_EQ(std::string(table.RecordBuffer().data(), 4), "   3");
  EXPECT_FALSE(table.GotoRecord(kNextRecord));
  EXPECT_TRUE(table.AfterLast());
  EXPECT_EQ(table.RecordNumber(), 3);
  ASSERT_TRUE(table.GotoRecord(kCurrentRecord));
  ASSERT_TRUE(table.GotoRecord(2));
  EXPECT_FALSE(table.GotoRecord(4));  // count + 1
  EXPECT_TRUE(table.AfterLast());
  EXPECT_THROW_MSG(table.GotoRecord(5), DbfError, "Record number 5 is not in table " + path_);
  EXPECT_THROW_MSG(table.GotoRecord(-6), DbfError, "Record number -6 is not in table " + path_);
}

TEST_F(DbfTableTest, CurrentRecordOfAFreshTableIsNotReadFromTheHeader) {
  Write(ThreeRecords());
  TDbfTable table(path_, true, false, files_, clock_);
  table.OpenTable();
  EXPECT_THROW_MSG(table.GotoRecord(kCurrentRecord), DbfError,
                   "Record number 0 is not in table " + path_);
  EXPECT_FALSE(table.GotoRecord(kPriorRecord));
  EXPECT_TRUE(table.BeforeFirst());
}

TEST_F(DbfTableTest, ReaderSeesRecordsAppendedByAnotherWriter) {
  Write(ThreeRecords());
  TDbfTable reader(path_, true, false, files_, clock_);
  reader.OpenTable();
  TDbfFieldLayer writer(path_, true, true, files_, clock_);
  writer.OpenTable();
  writer.BlankRecord();
  writer.PutInteger(0, 4);
  writer.AppendRecord();
  ASSERT_TRUE(reader.GotoRecord(4));
  EXPECT_EQ(reader.RecordCount(), 4);
  EXPECT_EQ(std::string(reader.RecordBuffer().data(), 4), "   4");
}

TEST_F(DbfTableTest, DeleteAndRecallRewriteTheRecordAtOnce) {
  Write(ThreeRecords());
  TDbfTable table(path_, false, true, files_, clock_);
  table.OpenTable();
  ASSERT_TRUE(table.GotoRecord(1));
  table.DeleteRecord();
  const size_t first = table.HeaderLength();
  EXPECT_EQ(Bytes()[first], '*');
  ASSERT_TRUE(table.GotoRecord(2));
  table.RecallRecord();
  EXPECT_EQ(Bytes()[first + 4], ' ');
  EXPECT_EQ(table.RecordCount(), 3);
}

TEST_F(DbfTableTest, ReplaceBeyondTheCountAppends) {
  Write(ThreeRecords());
  TDbfTable table(path_, false, true, files_, clock_);
  table.OpenTable();
  ASSERT_TRUE(table.GotoRecord(3));
  table.ReplaceRecord(9);
  EXPECT_EQ(table.RecordCount(), 4);
  EXPECT_EQ(Bytes().size(), table.HeaderLength() + 4 * 4 + 1);
}

TEST_F(DbfTableTest, MissingExclusiveAndReadOnlyTables) {
  TDbfTable missing(dir_.file("NONE.DBF"), true, true, files_, clock_);
  EXPECT_THROW_MSG(missing.OpenTable(), DbfError,
                   "File " + dir_.file("NONE.DBF") + " could not be found");
  Write(ThreeRecords());
  TDbfTable holder(path_, false, true, files_, clock_);
  holder.OpenTable();
  TDbfTable second(path_, true, true, files_, clock_);
  EXPECT_THROW_MSG(second.OpenTable(), DbfError, "Access denied to file " + path_);
  holder.CloseTable();
  TDbfTable read_only(path_, true, false, files_, clock_);
  read_only.OpenTable();
  EXPECT_THROW_MSG(read_only.AppendRecord(), DbfError, "Error writing to " + path_);
}

TEST_F(DbfTableTest, WholeTableLockDefersTheHeaderToItsRelease) {
  Write(ThreeRecords());
  TDbfFieldLayer table(path_, true, true, files_, clock_);
  table.OpenTable();
  ASSERT_TRUE(table.LockTable());
  TDbfTable other(path_, true, true, files_, clock_);
  other.OpenTable();
  EXPECT_FALSE(other.LockTable());
  EXPECT_FALSE(other.LockAppend());
  table.BlankRecord();
  table.AppendRecord();  // the append lock is counted on the table lock
  EXPECT_EQ(Get32(Bytes(), 4), 3u);
  ASSERT_TRUE(table.LockRecord(4));
  table.ReleaseLock();
  EXPECT_EQ(Get32(Bytes(), 4), 3u);
  table.ReleaseLock();
  EXPECT_FALSE(table.WhollyLocked());
  EXPECT_EQ(Get32(Bytes(), 4), 4u);
  EXPECT_TRUE(other.LockAppend());
}

TEST_F(DbfTableTest, ClosingWritesAHeaderDeferredByAWholeTableLock) {
  Write(ThreeRecords());
  {
    TDbfFieldLayer table(path_, true, true, files_, clock_);
    table.OpenTable();
    ASSERT_TRUE(table.LockTableAll());
    table.BlankRecord();
    table.AppendRecord();
    EXPECT_EQ(Get32(Bytes(), 4), 3u);
  }
  EXPECT_EQ(Get32(Bytes(), 4), 4u);
}

TEST_F(DbfTableTest, UnsharedLockAllLastsUntilItsOwnRelease) {
  Write(ThreeRecords());
  TDbfFieldLayer table(path_, false, true, files_, clock_);
  table.OpenTable();
  ASSERT_TRUE(table.LockTableAll());
  table.BlankRecord();
  table.AppendRecord();  // takes and gives back an append lock under the lock-all
  EXPECT_TRUE(table.WhollyLocked());
  EXPECT_EQ(Get32(Bytes(), 4), 3u);
  table.ReleaseLock();
  EXPECT_FALSE(table.WhollyLocked());
  EXPECT_EQ(Get32(Bytes(), 4), 4u);
}

TEST_F(DbfTableTest, FailedRecordWriteKeepsTheHeaderAndReleasesTheAppendLock) {
  Write(ThreeRecords());
  const std::string before = Bytes();
  testing::FaultyFileSystem fs;
  fs.faults.fail_write_number = 1;
  TDbfFieldLayer table(path_, true, true, fs, clock_);
  table.OpenTable();
  table.BlankRecord();
  EXPECT_THROW_MSG(table.AppendRecord(), DbfError, "Error writing to " + path_);
  EXPECT_EQ(table.LockCount(), 0);
  EXPECT_EQ(table.RecordCount(), 3);
  TDbfTable other(path_, true, true, files_, clock_);
  other.OpenTable();
  EXPECT_TRUE(other.LockAppend());
  other.CloseTable();
  table.CloseTable();
  EXPECT_EQ(Bytes(), before);
}

TEST_F(DbfTableTest, ShortRecordWriteIsAnError) {
  Write(ThreeRecords());
  testing::FaultyFileSystem fs;
  fs.faults.fail_write_number = 1;
  fs.faults.short_write_bytes = 2;
  TDbfFieldLayer table(path_, false, true, fs, clock_);
  table.OpenTable();
  table.BlankRecord();
  EXPECT_THROW_MSG(table.AppendRecord(), DbfError, "Error writing to " + path_);
  EXPECT_EQ(table.RecordCount(), 3);
}

struct VersionCase {
  uint8_t version;
  uint8_t flags;
  bool has_memo;
  // 263 zero bytes after the 0x0D, counted in the header length, as FoxPro
  // writers leave them (MakeTable writes them for 0x30 by itself).
  bool fox_area = false;
};

class DbfVersionTest : public DbfTableTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(DbfVersionTest, AcceptedVersionsOpenWithTheirMemoFlag) {
  TableSpec spec = ThreeRecords();
  spec.version = GetParam().version;
  std::string bytes = MakeTable(spec);
  bytes[28] = static_cast<char>(GetParam().flags);
  if (GetParam().fox_area) {
    const auto end = static_cast<size_t>(testing::HeaderLength(spec));
    bytes.insert(end, 263, '\0');
    Put16(bytes, 8, static_cast<uint16_t>(end + 263));
  }
  write_file(path_, bytes);
  TDbfTable table(path_, true, false, files_, clock_);
  table.OpenTable();
  EXPECT_EQ(table.HasMemo(), GetParam().has_memo);
  EXPECT_EQ(table.FieldCount(), 1);  // the descriptors end at the 0x0D
  EXPECT_EQ(table.RecordCount(), 3);
  ASSERT_TRUE(table.GotoRecord(3));
  EXPECT_EQ(std::string(table.RecordBuffer().data(), 4), "   3");
}

INSTANTIATE_TEST_SUITE_P(Versions, DbfVersionTest,
                         ::testing::Values(VersionCase{0x03, 0, false}, VersionCase{0x04, 0, false},
                                           VersionCase{0x83, 0, true}, VersionCase{0x8B, 0, true},
                                           VersionCase{0xF5, 0, true}, VersionCase{0x30, 0, false},
                                           VersionCase{0x30, 2, true},
                                           VersionCase{0xF5, 0, true, true},
                                           VersionCase{0x03, 0, false, true}));

// A damaged header: bytes patched at an offset, and the message expected.
struct Corruption {
  const char* what;
  size_t offset;
  std::string bytes;  // written over the file at offset; empty: cut the file there
  const char* message;
};

class DbfCorruptionTest : public DbfTableTest, public ::testing::WithParamInterface<Corruption> {};

TEST_P(DbfCorruptionTest, DamagedHeaderIsRefusedWithItsMessage) {
  const Corruption& c = GetParam();
  std::string bytes = MakeTable(OrdersSpec());
  if (c.bytes.empty()) {
    bytes.resize(c.offset);
  } else {
    bytes.replace(c.offset, c.bytes.size(), c.bytes);
  }
  write_file(path_, bytes);
  TDbfTable table(path_, true, true, files_, clock_);
  EXPECT_THROW_MSG(table.OpenTable(), DbfError, format_message(c.message, {path_}));
  EXPECT_FALSE(table.IsOpen());
}

std::string Le16(uint16_t value) {
  std::string bytes(2, '\0');
  Put16(bytes, 0, value);
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Header, DbfCorruptionTest,
    ::testing::Values(Corruption{"version 0x02", 0, "\x02", "Table Header for %s is invalid"},
                      Corruption{"version 0x8C", 0, "\x8C", "Table Header for %s is invalid"},
                      Corruption{"encrypted", 15, "\x01", "No Password for encrypted file %s"},
                      Corruption{"header length 0", 8, Le16(0), "Table Header for %s is invalid"},
                      Corruption{"header length 32", 8, Le16(32), "Table Header for %s is invalid"},
                      Corruption{"0x30 header too short for its trailer", 0, "\x30",
                                 "Table Header for %s is invalid"},
                      Corruption{"record length 0", 10, Le16(0), "Table Header for %s is invalid"},
                      Corruption{"fields longer than the record", 10, Le16(102),
                                 "Table Header for %s is invalid"},
                      Corruption{"C field with a huge high length byte", 32 + 17, "\xFF",
                                 "Table Header for %s is invalid"},
                      Corruption{"header length beyond the file", 8, Le16(65535),
                                 "Error on Read of file %s"},
                      Corruption{"file shorter than a header", 20, "", "Error on Read of file %s"},
                      Corruption{"descriptors cut off", 70, "", "Error on Read of file %s"}),
    [](const auto& info) {
      std::string name;
      for (char c : std::string(info.param.what))
        name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
      return name;
    });

// Every byte of the header and descriptors set to a few hostile values: the
// table either opens and reads or refuses with an engine message, never
// reading outside its buffers (the sanitizer build watches that).
TEST_F(DbfTableTest, NoSingleDamagedHeaderByteCrashesTheReader) {
  TableSpec spec = OrdersSpec();
  spec.records = {"A", "B"};
  const std::string good = MakeTable(spec);
  for (size_t offset = 0; offset < 129; ++offset) {
    for (char value : {'\x00', '\x01', '\x7F', '\xFF'}) {
      std::string bytes = good;
      bytes[offset] = value;
      write_file(path_, bytes);
      try {
        TDbfFieldLayer table(path_, true, false, files_, clock_);
        table.OpenTable();
        std::string text;
        while (table.GotoRecord(kNextRecord)) {
          for (int i = 0; i < table.FieldCount(); ++i) {
            try {
              table.GetString(i, true, text);
              table.GetNumber(i);
            } catch (const DbfError&) {
              // a refusal is fine; so is a field that takes no numbers
            }
          }
        }
      } catch (const DbfError&) {
      }
    }
  }
}

}  // namespace
}  // namespace pharmex::dbf
