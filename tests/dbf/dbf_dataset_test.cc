// The table dataset: opening, the record cycle, walking, counting, field
// lookup, locks, state errors and what a failed post leaves behind.
#include "dbf/dbf_dataset.h"

#include <string>
#include <vector>

#include "core/error.h"
#include "dbf/create_dbf_dataset.h"
#include "dbf/dbf_test_util.h"
#include "dbf/fault_file_system.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "testing/test_support.h"

namespace pharmex::dbf {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::same_value;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;
using testing::Get32;
using testing::MakeTable;
using testing::Put16;
using testing::Put32;
using testing::TableSpec;

// ID N(3,0), NAME C(5): records 1 (live), 2 (deleted), 3 (live).
TableSpec ThreeRecords() {
  TableSpec spec;
  spec.fields = {{"ID", 'N', 3, 0}, {"NAME", 'C', 5, 0}};
  spec.records = {"  1one", "  2two", "  3three"};
  spec.deleted = {false, true, false};
  return spec;
}

class DbfDataSetTest : public ::testing::Test {
 protected:
  DbfDataSetTest() : path_(dir_.file("ORDERS.DBF")) {}

  void Write(const TableSpec& spec) { write_file(path_, MakeTable(spec)); }
  void OpenTable(const TableSpec& spec) {
    Write(spec);
    data_.SetTableName(path_);
    data_.Open();
  }
  // The IDs of the records First/Next visit.
  std::vector<int64_t> Walk() {
    std::vector<int64_t> ids;
    for (data_.First(); !data_.Eof(); data_.Next())
      ids.push_back(data_.FieldByName("ID").Value().to_int64(data_.Settings()));
    return ids;
  }
  std::string Bytes() const { return read_file(path_); }

  TempDir dir_;
  std::string path_;
  // The moment the headers bear, and the files the dataset goes through.
  EngineOptions Options(platform::FileSystem& files = platform::posix_file_system()) {
    EngineOptions options = testing::options_with(files);
    options.clock = Service<platform::Clock>::borrow(clock_);
    return options;
  }

  platform::FixedClock clock_{DateParts{2024, 3, 5, 13, 45, 30, 250}};
  TDbfDataSet data_{Options()};
};

TEST_F(DbfDataSetTest, NewDatasetHasTheDefaultSettings) {
  EXPECT_EQ(data_.TableName(), "");
  EXPECT_EQ(data_.DatabaseName(), "");
  EXPECT_FALSE(data_.Exclusive());
  EXPECT_FALSE(data_.ReadOnly());
  EXPECT_TRUE(data_.TranslateASCII());
  EXPECT_EQ(data_.LargeIntegerAs(), TIntFields::asInteger);
  EXPECT_FALSE(data_.UseDeleted());
  EXPECT_FALSE(data_.AutoFlush());
  EXPECT_EQ(data_.LockProtocol(), TLockProtocol::Default);
  EXPECT_EQ(data_.UserID(), 0);
  EXPECT_FALSE(data_.ExactCount());
  EXPECT_EQ(data_.EncryptionKey(), "");
  EXPECT_FALSE(data_.Active());
  EXPECT_EQ(data_.State(), TDataSetState::dsInactive);
}

TEST_F(DbfDataSetTest, TheExportCycleWritesOneRecordByteForByte) {
  TCreateDbfDataSet creator(data_.Options());
  data_.SetTableName(dir_.file("ORDERS"));
  data_.SetLargeIntegerAs(TIntFields::asLargeInt);
  creator.SetDBFTable(&data_);
  creator.SetDBFType(TDbfTypes::DBaseIV);
  creator.SetAutoOverwrite(true);
  creator.SetCreateFields({"NAME;C;10;0", "QTY;N;6;0"});
  ASSERT_TRUE(creator.CreateTable());
  EXPECT_EQ(data_.TableName(), path_);
  data_.Append();
  data_.FieldByName("NAME").SetValue(Variant::ascii("abc"));
  data_.Post();
  data_.Close();

  std::string expected(32, '\0');
  expected[0] = 0x03;
  expected[1] = 24;
  expected[2] = 3;
  expected[3] = 5;
  Put32(expected, 4, 1);
  Put16(expected, 8, 97);
  Put16(expected, 10, 17);
  Put32(expected, 16, ((13 * 64 + 45) * 64 + 30) * 1024 + 250);
  expected += std::string("NAME\0\0\0\0\0\0\0C\0\0\0\0\x0A", 17) + std::string(15, '\0');
  expected += std::string("QTY\0\0\0\0\0\0\0\0N\0\0\0\0\x06", 17) + std::string(15, '\0');
  expected += "\x0D abc            0\x1A";
  EXPECT_EQ(Bytes(), expected);
}

TEST_F(DbfDataSetTest, OpeningNeedsATableName) {
  EXPECT_THROW_MSG(data_.Open(), DatabaseError, "Table name missing");
}

TEST_F(DbfDataSetTest, OpeningAMissingFileCreatesNothing) {
  data_.SetTableName(dir_.file("NONE"));
  EXPECT_THROW_MSG(data_.Open(), DatabaseError, "Cannot find file " + dir_.file("NONE.DBF"));
  EXPECT_EQ(data_.TableName(), dir_.file("NONE.DBF"));
  EXPECT_FALSE(platform::file_exists(dir_.file("NONE.DBF")));
  EXPECT_FALSE(data_.Active());
}

TEST_F(DbfDataSetTest, DatabaseNameIsTheFolderBeforeTheTableName) {
  Write(ThreeRecords());
  data_.SetDatabaseName(dir_.path().string());
  data_.SetTableName("ORDERS");
  EXPECT_EQ(data_.TablePath(), dir_.path().string() + "/ORDERS");
  data_.Open();
  EXPECT_EQ(data_.DBFObject()->FileName(), path_);
}

// A name without extension on a case-sensitive file system: the files in the
// folder, the name given, and the file opened (nullptr: none is found, and
// the message names `missing`).
struct OpenNameCase {
  const char* what;
  std::vector<std::string> files;
  const char* name;
  const char* opened;
  const char* missing;
};

class DatasetOpenNameTest : public DbfDataSetTest,
                            public ::testing::WithParamInterface<OpenNameCase> {};

TEST_P(DatasetOpenNameTest, ANameWithoutExtensionFindsTheTableFile) {
  const OpenNameCase& c = GetParam();
  for (const std::string& file : c.files)
    write_file(dir_.file(file), MakeTable(ThreeRecords()));
  data_.SetTableName(dir_.file(c.name));
  if (c.opened == nullptr) {
    EXPECT_THROW_MSG(data_.Open(), DatabaseError, "Cannot find file " + dir_.file(c.missing));
    return;
  }
  data_.Open();
  EXPECT_EQ(data_.TableName(), dir_.file(c.opened));
  EXPECT_EQ(data_.DBFObject()->FileName(), dir_.file(c.opened));
  EXPECT_EQ(Walk(), (std::vector<int64_t>{1, 3}));
  // The table object finds the same file.
  TDbfTable table(dir_.file(c.name), true, false, platform::posix_file_system(), clock_);
  EXPECT_EQ(table.FileName(), dir_.file(c.opened));
}

INSTANTIATE_TEST_SUITE_P(
    Names, DatasetOpenNameTest,
    ::testing::Values(
        OpenNameCase{"UpperCaseExtension", {"order.DBF"}, "order", "order.DBF", nullptr},
        // What the library's own exports write under a name typed without extension.
        OpenNameCase{"LowerCaseExtension", {"order.dbf"}, "order", "order.dbf", nullptr},
        OpenNameCase{
            "BothTakeTheUpperCase", {"order.dbf", "order.DBF"}, "order", "order.DBF", nullptr},
        OpenNameCase{"OtherCasesAreNotLookedFor", {"order.Dbf"}, "order", nullptr, "order.DBF"},
        OpenNameCase{
            "AGivenExtensionIsUsedAsItIs", {"order.DBF"}, "order.dbf", nullptr, "order.dbf"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(DbfDataSetTest, OpeningTwiceDoesNothing) {
  OpenTable(ThreeRecords());
  data_.Next();
  data_.Open();
  EXPECT_EQ(data_.RecNo(), 3);
}

TEST_F(DbfDataSetTest, TwoFieldsWhoseNamesDifferOnlyInCaseCannotBeOpened) {
  TableSpec spec;
  spec.fields = {{"ID", 'N', 3, 0}, {"id", 'C', 3, 0}};
  Write(spec);
  data_.SetTableName(path_);
  EXPECT_THROW_MSG(data_.Open(), DatabaseError, "Duplicate field name 'id'");
  EXPECT_FALSE(data_.Active());
  // The failed open left the file closed: it can be replaced at once.
  EXPECT_TRUE(platform::posix_file_system().create(path_));
}

// A file system that refuses to open any file for writing, as for a file the
// user may only read.
class ReadOnlyFiles : public platform::FileSystemWrapper {
 public:
  ReadOnlyFiles() : FileSystemWrapper(platform::posix_file_system()) {}
  std::unique_ptr<platform::File> open(std::string_view path, platform::FileAccess access,
                                       platform::FileSharing sharing) override {
    if (access == platform::FileAccess::kReadWrite) return nullptr;
    return FileSystemWrapper::open(path, access, sharing);
  }
};

TEST_F(DbfDataSetTest, AFileThatCannotBeWrittenNeedsReadOnly) {
  Write(ThreeRecords());
  ReadOnlyFiles files;
  TDbfDataSet data(Options(files));
  data.SetTableName(path_);
  EXPECT_THROW_MSG(data.Open(), DbfError, "Access denied to file " + path_);
  data.SetReadOnly(true);
  data.Open();
  EXPECT_TRUE(same_value(data.FieldByName("NAME").Value(), Variant::ascii("one")));
  EXPECT_THROW_MSG(data.Append(), DatabaseError, "Cannot modify a read-only dataset");
  EXPECT_THROW_MSG(data.Edit(), DatabaseError, "Cannot modify a read-only dataset");
}

TEST_F(DbfDataSetTest, WalkingSkipsDeletedRecordsWhichStillCount) {
  OpenTable(ThreeRecords());
  EXPECT_EQ(data_.RecNo(), 1);  // Open stands on the first visible record
  EXPECT_EQ(Walk(), (std::vector<int64_t>{1, 3}));
  EXPECT_EQ(data_.RecordCount(), 3);
  data_.SetExactCount(true);
  EXPECT_EQ(data_.RecordCount(), 2);
  data_.SetUseDeleted(true);
  EXPECT_EQ(Walk(), (std::vector<int64_t>{1, 2, 3}));
  EXPECT_EQ(data_.RecordCount(), 3);
}

TEST_F(DbfDataSetTest, AtTheEndTheLastVisibleRecordStaysCurrent) {
  TableSpec spec = ThreeRecords();
  spec.records.push_back("  4four");
  spec.deleted = {false, false, false, true};
  OpenTable(spec);
  data_.First();
  data_.Next();
  data_.Next();
  EXPECT_FALSE(data_.Eof());
  data_.Next();
  EXPECT_TRUE(data_.Eof());
  EXPECT_EQ(data_.RecNo(), 3);
  EXPECT_TRUE(same_value(data_.FieldByName("NAME").Value(), Variant::ascii("three")));
  data_.Next();  // stays
  EXPECT_EQ(data_.RecNo(), 3);
}

TEST_F(DbfDataSetTest, ExactCountLeavesTheCursorWhereItWas) {
  OpenTable(ThreeRecords());
  data_.SetExactCount(true);
  data_.Next();
  EXPECT_EQ(data_.RecordCount(), 2);
  EXPECT_EQ(data_.RecNo(), 3);
  data_.Append();
  data_.FieldByName("ID").SetValue(Variant::integer(9));
  EXPECT_EQ(data_.RecordCount(), 2);  // the insert is not disturbed
  EXPECT_TRUE(same_value(data_.FieldByName("ID").Value(), Variant::integer(9)));
  data_.Post();
  EXPECT_EQ(data_.RecordCount(), 3);
}

TEST_F(DbfDataSetTest, ATableWithoutVisibleRecordsIsAtItsEndAtOnce) {
  TableSpec spec = ThreeRecords();
  spec.deleted = {true, true, true};
  OpenTable(spec);
  EXPECT_TRUE(data_.Eof());
  EXPECT_TRUE(data_.FieldByName("NAME").IsNull());
  data_.First();
  EXPECT_TRUE(data_.Eof());
  EXPECT_EQ(data_.RecNo(), 0);
  data_.Close();

  spec.records.clear();
  OpenTable(spec);
  EXPECT_TRUE(data_.Eof());
  EXPECT_TRUE(data_.Bof());
  EXPECT_EQ(data_.RecordCount(), 0);
}

TEST_F(DbfDataSetTest, FieldsAreFoundWithoutRegardToCase) {
  TableSpec spec;
  spec.fields = {{"NAME", 'C', 5, 0}, {"\xC8\xCC\xDF", 'C', 5, 0}};  // "ИМЯ"
  OpenTable(spec);
  ASSERT_NE(data_.FindField("name"), nullptr);
  EXPECT_EQ(data_.FindField("name"), &data_.Fields(0));
  EXPECT_EQ(data_.FindField("NaMe")->FieldName(), "NAME");
  EXPECT_EQ(data_.FindField("\xE8\xEC\xFF"), &data_.Fields(1));  // "имя"
  EXPECT_EQ(data_.FindField("XYZ"), nullptr);
  EXPECT_EQ(data_.FindField("NAM"), nullptr);
  EXPECT_THROW_MSG(data_.FieldByName("XYZ"), DatabaseError, "Field 'XYZ' not found");
  data_.Close();
  EXPECT_EQ(data_.FindField("NAME"), nullptr);
}

TEST_F(DbfDataSetTest, ManyFieldsAreStillFoundEachByItsName) {
  TableSpec spec;
  for (int i = 0; i < 300; ++i)
    spec.fields.push_back({"F" + std::to_string(i), 'C', 1, 0});
  OpenTable(spec);
  ASSERT_EQ(data_.FieldCount(), 300);
  for (int i = 0; i < 300; ++i)
    EXPECT_EQ(data_.FindField("f" + std::to_string(i)), &data_.Fields(i)) << i;
}

struct KindCase {
  char type;
  int length;
  int decimals;
  TIntFields large;
  TFieldType kind;
};

class DatasetFieldKindTest : public DbfDataSetTest,
                             public ::testing::WithParamInterface<KindCase> {};

TEST_P(DatasetFieldKindTest, FollowsTypeLengthAndDecimals) {
  const KindCase& c = GetParam();
  TableSpec spec;
  spec.fields = {{"F", c.type, c.length, c.decimals}};
  Write(spec);
  data_.SetTableName(path_);
  data_.SetLargeIntegerAs(c.large);
  data_.Open();
  ASSERT_EQ(data_.FieldCount(), 1);
  EXPECT_EQ(data_.Fields(0).DataType(), c.kind);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DatasetFieldKindTest,
    ::testing::Values(KindCase{'C', 20, 0, TIntFields::asInteger, TFieldType::ftString},
                      KindCase{'N', 8, 2, TIntFields::asInteger, TFieldType::ftFloat},
                      KindCase{'F', 12, 0, TIntFields::asInteger, TFieldType::ftInteger},
                      KindCase{'N', 12, 0, TIntFields::asLargeInt, TFieldType::ftLargeint},
                      KindCase{'N', 10, 0, TIntFields::asFloat, TFieldType::ftFloat},
                      KindCase{'N', 9, 0, TIntFields::asLargeInt, TFieldType::ftInteger},
                      KindCase{'N', 5, 0, TIntFields::asInteger, TFieldType::ftInteger},
                      KindCase{'N', 4, 0, TIntFields::asInteger, TFieldType::ftSmallint},
                      KindCase{'D', 8, 0, TIntFields::asInteger, TFieldType::ftDate},
                      KindCase{'L', 1, 0, TIntFields::asInteger, TFieldType::ftBoolean},
                      KindCase{'M', 10, 0, TIntFields::asInteger, TFieldType::ftMemo},
                      KindCase{'B', 10, 0, TIntFields::asInteger, TFieldType::ftBlob},
                      KindCase{'G', 10, 0, TIntFields::asInteger, TFieldType::ftBlob}));

TEST_F(DbfDataSetTest, FieldsOfUnknownTypesHaveNoFieldObject) {
  TableSpec spec;
  spec.fields = {{"A", 'C', 2, 0}, {"O1", 'O', 8, 0}, {"B", 'C', 2, 0}};
  spec.records = {"ab12345678cd"};
  OpenTable(spec);
  ASSERT_EQ(data_.FieldCount(), 2);
  EXPECT_EQ(data_.FindField("O1"), nullptr);
  EXPECT_EQ(data_.Fields(1).FieldName(), "B");
  EXPECT_EQ(data_.Fields(1).FieldNo(), 3);
  EXPECT_TRUE(same_value(data_.Fields(1).Value(), Variant::ascii("cd")));
}

TEST_F(DbfDataSetTest, StateErrors) {
  const std::string closed = "Cannot perform this operation on a closed dataset";
  EXPECT_THROW_MSG(data_.RecordCount(), DatabaseError, closed);
  EXPECT_THROW_MSG(data_.Append(), DatabaseError, closed);
  EXPECT_THROW_MSG(data_.First(), DatabaseError, closed);
  EXPECT_THROW_MSG(data_.Post(), DatabaseError, closed);
  OpenTable(ThreeRecords());
  const std::string open = "Cannot perform this operation on an open dataset";
  EXPECT_THROW_MSG(data_.SetTableName("X"), DatabaseError, open);
  EXPECT_THROW_MSG(data_.SetDatabaseName("/tmp"), DatabaseError, open);
  EXPECT_THROW_MSG(data_.SetEncryptionKey("k"), DatabaseError, open);
  EXPECT_THROW_MSG(data_.SetExclusive(true), DatabaseError, open);
  const std::string browsing = "Dataset not in edit or insert mode";
  EXPECT_THROW_MSG(data_.FieldByName("ID").SetValue(Variant::integer(1)), DatabaseError, browsing);
  EXPECT_THROW_MSG(data_.Post(), DatabaseError, browsing);
  data_.Cancel();  // nothing to cancel: nothing happens
  EXPECT_EQ(data_.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(data_.TableName(), path_);
}

TEST_F(DbfDataSetTest, AppendStartsFromTheBlankRecord) {
  TableSpec spec;
  spec.fields = {{"NAME", 'C', 5, 0}, {"QNT", 'N', 8, 2}, {"D", 'D', 8, 0}, {"F", 'L', 1, 0}};
  OpenTable(spec);
  data_.Append();
  EXPECT_EQ(data_.State(), TDataSetState::dsInsert);
  EXPECT_EQ(std::string(data_.DBFObject()->RecordBuffer().data(), 23),
            "      "
            "    0.00"
            "        "
            " ");
  EXPECT_TRUE(data_.FieldByName("NAME").IsNull());
  EXPECT_TRUE(same_value(data_.FieldByName("QNT").Value(), Variant::real(0)));
  EXPECT_TRUE(data_.FieldByName("D").Value().is_null());
  EXPECT_TRUE(same_value(data_.FieldByName("F").Value(), Variant::boolean(false)));
}

TEST_F(DbfDataSetTest, APendingInsertIsPostedBeforeTheNextAppendUnlessNothingWasAssigned) {
  OpenTable(ThreeRecords());
  data_.Append();
  data_.Append();  // nothing assigned: dropped
  data_.FieldByName("ID").SetValue(Variant::integer(4));
  data_.Append();  // posts record 4
  data_.FieldByName("ID").SetValue(Variant::integer(5));
  data_.Post();
  EXPECT_EQ(data_.RecordCount(), 5);
  EXPECT_EQ(Walk(), (std::vector<int64_t>{1, 3, 4, 5}));
}

TEST_F(DbfDataSetTest, CancelDropsTheInsertAndShowsTheRecordAgain) {
  OpenTable(ThreeRecords());
  data_.Next();
  data_.Append();
  data_.FieldByName("NAME").SetValue(Variant::ascii("new"));
  data_.Cancel();
  EXPECT_EQ(data_.State(), TDataSetState::dsBrowse);
  EXPECT_TRUE(same_value(data_.FieldByName("NAME").Value(), Variant::ascii("three")));
  EXPECT_EQ(data_.RecordCount(), 3);
  EXPECT_EQ(Bytes().size(), MakeTable(ThreeRecords()).size());
}

TEST_F(DbfDataSetTest, EditWritesTheRecordInPlaceUnderTheRecordLock) {
  OpenTable(ThreeRecords());
  data_.Next();  // record 3
  data_.Edit();
  EXPECT_EQ(data_.State(), TDataSetState::dsEdit);
  // Default protocol, no index: header length + (r - 1) * record length + 2^30.
  const uint64_t lock = 97 + 2 * 9 + 0x40000000;
  EXPECT_EQ(data_.DBFObject()->LockedRange(), (TLockRange{lock, 1}));
  data_.FieldByName("NAME").SetValue(Variant::ascii("drei"));
  data_.Post();
  EXPECT_EQ(data_.DBFObject()->LockCount(), 0);
  EXPECT_EQ(Bytes().substr(97 + 2 * 9, 9), "   3drei ");
  EXPECT_EQ(data_.RecordCount(), 3);

  data_.Edit();
  data_.FieldByName("NAME").SetValue(Variant::ascii("x"));
  data_.Cancel();
  EXPECT_TRUE(same_value(data_.FieldByName("NAME").Value(), Variant::ascii("drei")));
  EXPECT_EQ(data_.DBFObject()->LockCount(), 0);
}

TEST_F(DbfDataSetTest, ARecordLockedByAnotherUserCannotBeEdited) {
  OpenTable(ThreeRecords());
  auto other = platform::posix_file_system().open(path_, platform::FileAccess::kReadWrite,
                                                  platform::FileSharing::kShared);
  ASSERT_TRUE(other->try_lock(97 + 0x40000000, 1));  // record 1
  EXPECT_THROW_MSG(data_.Edit(), DatabaseError, "Record is locked by another user");
  EXPECT_EQ(data_.State(), TDataSetState::dsBrowse);
  data_.Next();
  data_.Edit();  // record 3 is free
  EXPECT_EQ(data_.State(), TDataSetState::dsEdit);
}

TEST_F(DbfDataSetTest, EditWithoutACurrentRecordAppends) {
  TableSpec spec = ThreeRecords();
  spec.records.clear();
  OpenTable(spec);
  data_.Edit();
  EXPECT_EQ(data_.State(), TDataSetState::dsInsert);
}

TEST_F(DbfDataSetTest, SettingsReachTheTable) {
  Write(ThreeRecords());
  data_.SetTableName(path_);
  data_.SetUserID(77);
  data_.SetAutoFlush(true);
  data_.SetLockProtocol(TLockProtocol::ClipLock);
  data_.SetExclusive(true);
  data_.Open();
  EXPECT_FALSE(data_.DBFObject()->Shared());
  EXPECT_EQ(data_.DBFObject()->LockProtocol(), TLockProtocol::ClipLock);
  EXPECT_TRUE(data_.DBFObject()->AutoFlush());
  data_.Append();
  data_.Post();
  EXPECT_EQ(Get32(Bytes(), 20), 77u);
  data_.SetTranslateASCII(false);
  EXPECT_FALSE(data_.DBFObject()->TranslateASCII());
}

class FailedPostTest : public DbfDataSetTest {
 protected:
  FailedPostTest() : data_(Options(files_)) {
    Write(ThreeRecords());
    files_.faults.path_suffix = "ORDERS.DBF";
    data_.SetTableName(path_);
    data_.Open();
  }
  // Fails the n-th write from now on.
  void FailWrite(int n) { files_.faults.fail_write_number = files_.faults.writes + n; }

  testing::FaultyFileSystem files_;
  TDbfDataSet data_;
};

TEST_F(FailedPostTest, ARecordThatWasNotWrittenLeavesTheInsertAsItWas) {
  data_.Append();
  data_.FieldByName("NAME").SetValue(Variant::ascii("new"));
  FailWrite(1);
  EXPECT_THROW_MSG(data_.Post(), DbfError, "Error writing to " + path_);
  EXPECT_EQ(data_.State(), TDataSetState::dsInsert);
  EXPECT_TRUE(same_value(data_.FieldByName("NAME").Value(), Variant::ascii("new")));
  EXPECT_EQ(data_.RecordCount(), 3);
  data_.Post();  // the fault is gone: the record goes in once
  EXPECT_EQ(data_.RecordCount(), 4);
  EXPECT_EQ(Bytes().size(), MakeTable(ThreeRecords()).size() + 9);
  EXPECT_EQ(Get32(Bytes(), 4), 4u);
}

TEST_F(FailedPostTest, ARecordThatWasWrittenIsPostedEvenWhenTheHeaderFails) {
  data_.Append();
  data_.FieldByName("ID").SetValue(Variant::integer(4));
  FailWrite(2);  // the header after the record
  EXPECT_THROW_MSG(data_.Post(), DbfError, "Error writing to " + path_);
  EXPECT_EQ(data_.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(data_.RecNo(), 4);
  EXPECT_EQ(data_.RecordCount(), 4);
  data_.Close();
  EXPECT_EQ(Bytes().size(), MakeTable(ThreeRecords()).size() + 9);
}

TEST_F(FailedPostTest, AnEditThatWasNotWrittenStaysAnEditUnderItsLock) {
  data_.Edit();
  data_.FieldByName("NAME").SetValue(Variant::ascii("eins"));
  FailWrite(1);
  EXPECT_THROW_MSG(data_.Post(), DbfError, "Error writing to " + path_);
  EXPECT_EQ(data_.State(), TDataSetState::dsEdit);
  EXPECT_EQ(data_.DBFObject()->LockCount(), 1);
  data_.Post();
  EXPECT_EQ(Bytes().substr(97, 9), "   1eins ");
}

}  // namespace
}  // namespace pharmex::dbf
