// The table creator: the field list grammar, its refusals, the bytes the
// builders write, replacing an existing table, opening the new one, and a
// new table written aside that takes the old one's place only on Commit.
#include "dbf/create_dbf_dataset.h"

#include <string>
#include <vector>

#include "core/error.h"
#include "dbf/dbf_dataset.h"
#include "dbf/dbf_test_util.h"
#include "dbf/fault_file_system.h"
#include "dbf/field_spec.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/staged_files.h"
#include "testing/test_support.h"

namespace pharmex::dbf {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;

// Name, type, length byte and decimals byte of descriptor i (1-based).
struct Descriptor {
  std::string name;
  char type;
  int length;
  int decimals;
  bool operator==(const Descriptor&) const = default;
};

Descriptor DescriptorAt(const std::string& bytes, size_t i) {
  const std::string d = bytes.substr(32 * i, 32);
  return {std::string(d.c_str()), d[11], static_cast<unsigned char>(d[16]),
          static_cast<unsigned char>(d[17])};
}

class CreatorTest : public ::testing::Test {
 protected:
  CreatorTest() : path_(dir_.file("ORDER.DBF")) {
    table_.SetTableName(path_);
    creator_.SetDBFTable(&table_);
    creator_.SetDBFType(TDbfTypes::DBaseIV);
    creator_.SetAutoOverwrite(true);
  }

  bool Create(std::vector<std::string> lines) {
    creator_.SetCreateFields(std::move(lines));
    return creator_.CreateTable();
  }
  std::string Bytes() const { return read_file(path_); }

  TempDir dir_;
  std::string path_;
  // The moment the headers bear, given to the dataset and the creator.
  EngineOptions Options(platform::FileSystem& files = platform::posix_file_system()) {
    EngineOptions options = testing::options_with(files);
    options.clock = Service<platform::Clock>::borrow(clock_);
    return options;
  }

  platform::FixedClock clock_{DateParts{2031, 12, 24, 8, 0, 0, 0}};
  TDbfDataSet table_{Options()};
  TCreateDbfDataSet creator_{Options()};
};

TEST_F(CreatorTest, DefaultsAskNothingAndWriteClipperTables) {
  TCreateDbfDataSet creator;
  EXPECT_EQ(creator.DBFType(), TDbfTypes::Clipper);
  EXPECT_FALSE(creator.AutoOverwrite());
  EXPECT_TRUE(creator.CreateFields().empty());
  EXPECT_EQ(creator.DBFTable(), nullptr);
}

TEST_F(CreatorTest, WritesTheHeaderAndDescriptorsAndOpensTheTable) {
  ASSERT_TRUE(Create({"NAME;C;80;0", "QNT;N;14;2", "GDATE;D;0;0"}));
  const std::string bytes = Bytes();
  ASSERT_EQ(bytes.size(), 130u);
  EXPECT_EQ(bytes.substr(0, 12), std::string("\x03\x1F\x0C\x18\0\0\0\0\x81\0\x67\0", 12));
  EXPECT_EQ(bytes.substr(12, 20), std::string(20, '\0'));
  EXPECT_EQ(DescriptorAt(bytes, 1), (Descriptor{"NAME", 'C', 80, 0}));
  EXPECT_EQ(DescriptorAt(bytes, 2), (Descriptor{"QNT", 'N', 14, 2}));
  EXPECT_EQ(DescriptorAt(bytes, 3), (Descriptor{"GDATE", 'D', 8, 0}));
  EXPECT_EQ(bytes.substr(128), "\x0D\x1A");
  EXPECT_TRUE(table_.Active());
  EXPECT_EQ(table_.DBFObject()->RecordLength(), 103u);
  EXPECT_FALSE(platform::file_exists(dir_.file("ORDER.DBT")));
}

TEST_F(CreatorTest, NamesAndTypesAreStoredUpperCase) {
  ASSERT_TRUE(Create({"name;c;10;0", "\xE8\xEC\xFF;n;3;0"}));  // "имя"
  EXPECT_EQ(DescriptorAt(Bytes(), 1), (Descriptor{"NAME", 'C', 10, 0}));
  EXPECT_EQ(DescriptorAt(Bytes(), 2), (Descriptor{"\xC8\xCC\xDF", 'N', 3, 0}));
}

TEST_F(CreatorTest, TrailingBlanksAndSemicolonsAreIgnored) {
  ASSERT_TRUE(Create({"QNT;N;14;2;", "A;N; 5;  1  ", "B;N;8;123456"}));
  EXPECT_EQ(DescriptorAt(Bytes(), 1), (Descriptor{"QNT", 'N', 14, 2}));
  EXPECT_EQ(DescriptorAt(Bytes(), 2), (Descriptor{"A", 'N', 5, 1}));
  EXPECT_EQ(DescriptorAt(Bytes(), 3), (Descriptor{"B", 'N', 8, 123}));  // three characters
}

TEST_F(CreatorTest, LongNamesAreCutToTen) {
  ASSERT_TRUE(Create({"LONGFIELDNAME1;C;5;0"}));
  EXPECT_EQ(DescriptorAt(Bytes(), 1).name, "LONGFIELDN");
  EXPECT_EQ(Bytes()[32 + 10], '\0');
}

TEST_F(CreatorTest, LongTextFieldsKeepTheirHighLengthByteInTheDecimals) {
  ASSERT_TRUE(Create({"X;C;300;0", "Y;N;4;0"}));
  EXPECT_EQ(DescriptorAt(Bytes(), 1), (Descriptor{"X", 'C', 44, 1}));
  EXPECT_EQ(table_.DBFObject()->RecordLength(), 305u);
  EXPECT_EQ(table_.FieldByName("X").Size(), 300u);
}

TEST_F(CreatorTest, FixedWidthTypesIgnoreTheirLength) {
  ASSERT_TRUE(Create({"D;D;3;2", "L;L;9;0", "M;M;0;0", "B;B;1;1", "G;G;0;0", "O;O;0;0"}));
  const std::string bytes = Bytes();
  EXPECT_EQ(DescriptorAt(bytes, 1), (Descriptor{"D", 'D', 8, 0}));
  EXPECT_EQ(DescriptorAt(bytes, 2), (Descriptor{"L", 'L', 1, 0}));
  EXPECT_EQ(DescriptorAt(bytes, 3), (Descriptor{"M", 'M', 10, 0}));
  EXPECT_EQ(DescriptorAt(bytes, 4), (Descriptor{"B", 'B', 10, 0}));
  EXPECT_EQ(DescriptorAt(bytes, 6), (Descriptor{"O", 'O', 0, 0}));  // no record bytes
  EXPECT_EQ(table_.DBFObject()->RecordLength(), 1u + 8 + 1 + 30);
  EXPECT_EQ(table_.FieldCount(), 5);  // O is not shown
}

TEST_F(CreatorTest, AMemoFieldMakesADbaseIVMemoTable) {
  table_.SetTableName(dir_.file("PRICELIST2024"));
  ASSERT_TRUE(Create({"NAME;C;10;0", "NOTE;M;0;0"}));
  const std::string bytes = read_file(dir_.file("PRICELIST2024.DBF"));
  EXPECT_EQ(bytes[0], '\x8B');
  EXPECT_EQ(read_file(dir_.file("PRICELIST2024.DBT")),
            std::string("\x01\0\0\0\0\0\0\0PRICELIS\0\0\x02\x01\0\x02\0\0", 24));
}

TEST_F(CreatorTest, ANamelessLineAddsNoField) {
  ASSERT_TRUE(Create({"A;C;1;0", ";C;5;0", "B;C;1;0"}));
  EXPECT_EQ(table_.FieldCount(), 2);
  EXPECT_EQ(Bytes().size(), 32u * 3 + 2);
}

TEST_F(CreatorTest, ATableWithoutMemoFieldsLeavesAnOldMemoFileAlone) {
  write_file(dir_.file("ORDER.DBT"), "old");
  ASSERT_TRUE(Create({"A;C;1;0"}));
  EXPECT_EQ(read_file(dir_.file("ORDER.DBT")), "old");
}

std::vector<std::string> ManyFields(int count) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i)
    lines.push_back("F" + std::to_string(i) + ";L;1;0");
  return lines;
}

struct RefusalCase {
  const char* label;
  std::vector<std::string> lines;
};

class RefusalTest : public CreatorTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, RefusesTheListBeforeWritingAnything) {
  creator_.SetCreateFields(GetParam().lines);
  EXPECT_THROW_MSG(creator_.CreateTable(), DatabaseError, "Field list is invalid");
  EXPECT_FALSE(platform::file_exists(path_));
  EXPECT_FALSE(table_.Active());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, RefusalTest,
    ::testing::Values(
        RefusalCase{"Empty", {}}, RefusalCase{"NoDecimals", {"QNT;N;14"}},
        RefusalCase{"TwoLetterType", {"QNT;NN;14;2"}}, RefusalCase{"NoType", {"QNT;;14;2"}},
        RefusalCase{"TypeNotALetter", {"QNT;1;14;2"}}, RefusalCase{"NoSemicolon", {"QNT"}},
        RefusalCase{"EmptyLine", {"A;C;1;0", ""}},
        RefusalCase{"OnlyBlanksAndSemicolons", {" ; ;", "A;C;1;0"}},
        RefusalCase{"SameNameInOtherCase", {"ID;N;6;0", "id;C;10;0"}},
        RefusalCase{"SameNameOnceCut", {"LONGFIELDNAME1;C;5;0", "LONGFIELDNAME2;C;5;0"}},
        RefusalCase{"LengthNotANumber", {"X;N;1x;0"}},
        RefusalCase{"BlankAfterTheLength", {"X;N;14 ;0"}},
        RefusalCase{"DecimalsNotANumber", {"X;N;14;2ab"}},
        RefusalCase{"NegativeLength", {"X;C;-1;0"}}, RefusalCase{"NegativeDecimals", {"X;N;5;-1"}},
        RefusalCase{"DecimalsBeyondAByte", {"X;N;5;256"}},
        RefusalCase{"NumberBeyondAByte", {"X;N;256;0"}},
        RefusalCase{"DateBeyondAByte", {"X;D;300;0"}},
        RefusalCase{"RecordBeyond65535", {"A;C;65000;0", "B;C;535;0"}},
        RefusalCase{"MoreThan2046Fields", ManyFields(2047)}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return info.param.label; });

TEST_F(CreatorTest, TheLimitsThemselvesAreAccepted) {
  ASSERT_TRUE(Create({"A;C;65000;0", "B;C;279;0", "N;N;255;255"}));
  table_.Close();
  ASSERT_TRUE(Create(ManyFields(2046)));
  EXPECT_EQ(table_.FieldCount(), 2046);
}

TEST_F(CreatorTest, RefusesWithoutATableOrWithAnOpenOne) {
  TCreateDbfDataSet creator;
  creator.SetCreateFields({"A;C;1;0"});
  EXPECT_THROW_MSG(creator.CreateTable(), DatabaseError, "A table is not assigned to this object");
  ASSERT_TRUE(Create({"A;C;1;0"}));
  EXPECT_THROW_MSG(Create({"A;C;1;0"}), DatabaseError,
                   "Cannot perform this operation on an open table");
}

class OverwriteTest : public CreatorTest {
 protected:
  OverwriteTest() {
    write_file(path_, "old table");
    creator_.SetAutoOverwrite(false);
    table_.SetTableName(dir_.file("ORDER"));  // ".DBF" added: the same file
  }
};

TEST_F(OverwriteTest, WithoutAnAnswerNothingIsReplaced) {
  EXPECT_FALSE(Create({"A;C;1;0"}));
  EXPECT_EQ(Bytes(), "old table");
  EXPECT_FALSE(table_.Active());
}

TEST_F(OverwriteTest, TheQuestionNamesTheFileThatWouldBeReplaced) {
  std::vector<std::string> asked;
  creator_.SetOverwriteQuestion([&](std::string_view path) {
    asked.emplace_back(path);
    return false;
  });
  EXPECT_FALSE(Create({"A;C;1;0"}));
  EXPECT_EQ(asked, std::vector<std::string>{path_});
  EXPECT_EQ(Bytes(), "old table");

  creator_.SetOverwriteQuestion([](std::string_view) { return true; });
  EXPECT_TRUE(Create({"A;C;1;0"}));
  EXPECT_EQ(Bytes().size(), 66u);
  EXPECT_EQ(TCreateDbfDataSet::kOverwriteQuestion, "Table exists.  Do you want to overwrite?");
}

TEST_F(OverwriteTest, AutoOverwriteReplacesWithoutAsking) {
  creator_.SetAutoOverwrite(true);
  creator_.SetOverwriteQuestion([](std::string_view) -> bool { throw std::logic_error("asked"); });
  EXPECT_TRUE(Create({"A;C;1;0"}));
  EXPECT_EQ(Bytes().size(), 66u);
}

TEST_F(CreatorTest, ATableInUseCannotBeReplaced) {
  write_file(path_, "in use");
  auto user = platform::posix_file_system().open(path_, platform::FileAccess::kRead,
                                                 platform::FileSharing::kShared);
  ASSERT_NE(user, nullptr);
  EXPECT_THROW_MSG(Create({"A;C;1;0"}), DbfError, "Could not create file " + path_);
  EXPECT_EQ(Bytes(), "in use");
}

// Another writer tries to create the table and its memo file anew each time
// the dataset opens one of them.
class IntrudingFileSystem : public platform::FileSystemWrapper {
 public:
  IntrudingFileSystem() : FileSystemWrapper(platform::posix_file_system()) {}
  std::unique_ptr<platform::File> open(std::string_view path, platform::FileAccess access,
                                       platform::FileSharing sharing) override {
    if (sharing == platform::FileSharing::kShared) {
      for (const std::string& file : intruded_files)
        intrusions.push_back(platform::posix_file_system().create(file));
    }
    return FileSystemWrapper::open(path, access, sharing);
  }

  std::vector<std::string> intruded_files;
  std::vector<bool> intrusions;  // whether each attempt got through
};

TEST_F(CreatorTest, NobodyElseCanCreateTheFilesUntilTheDatasetHasThem) {
  IntrudingFileSystem files;
  files.intruded_files = {path_, dir_.file("ORDER.DBT")};
  TDbfDataSet table(Options(files));
  table.SetTableName(path_);
  TCreateDbfDataSet creator(Options(files));
  creator.SetDBFTable(&table);
  creator.SetDBFType(TDbfTypes::DBaseIV);
  creator.SetAutoOverwrite(true);
  creator.SetCreateFields({"A;C;1;0", "NOTE;M;0;0"});
  ASSERT_TRUE(creator.CreateTable());
  EXPECT_TRUE(table.DBFObject()->MemoOpen());
  // The table and the memo file, each tried at both openings.
  EXPECT_EQ(files.intrusions, std::vector<bool>(4, false));
  EXPECT_EQ(Bytes().size(), 32u * 3 + 2);
  EXPECT_EQ(read_file(dir_.file("ORDER.DBT")).size(), 24u);
}

TEST_F(CreatorTest, AFailedWriteIsReportedAndTheTableIsNotOpened) {
  testing::FaultyFileSystem files;
  files.faults.fail_write_number = 1;
  TCreateDbfDataSet creator(Options(files));
  creator.SetDBFTable(&table_);
  creator.SetAutoOverwrite(true);
  creator.SetCreateFields({"A;C;1;0"});
  EXPECT_THROW_MSG(creator.CreateTable(), DbfError, "Error writing to " + path_);
  EXPECT_FALSE(table_.Active());
}

TEST_F(CreatorTest, OtherFlavoursWriteTheirVersionBytesAndMemoFiles) {
  creator_.SetDBFType(TDbfTypes::Clipper);
  ASSERT_TRUE(Create({"M;M;0;0"}));
  EXPECT_EQ(Bytes()[0], '\x83');
  const std::string db3 = read_file(dir_.file("ORDER.DBT"));
  EXPECT_EQ(db3.size(), 513u);
  EXPECT_EQ(db3.substr(0, 16), std::string("\x01\0\0\0\0\0\0\0ORDER\0\0\0", 16));
  table_.Close();

  creator_.SetDBFType(TDbfTypes::FoxPro2);
  ASSERT_TRUE(Create({"M;M;0;0"}));
  EXPECT_EQ(Bytes()[0], '\xF5');
  EXPECT_EQ(read_file(dir_.file("ORDER.FPT")).substr(0, 8), std::string("\0\0\0\x08\0\0\0\x40", 8));
  table_.Close();

  creator_.SetDBFType(TDbfTypes::DBaseIII);
  ASSERT_TRUE(Create({"A;C;1;0"}));
  EXPECT_EQ(Bytes()[0], '\x03');
}

// A table with a memo file written aside over yesterday's pair.
class WriteAsideTest : public CreatorTest {
 protected:
  static constexpr const char* kOldTable = "yesterday's table";
  static constexpr const char* kOldMemo = "yesterday's memo file";

  WriteAsideTest() {
    write_file(path_, kOldTable);
    write_file(memo_, kOldMemo);
    creator_.SetWriteAside(true);
  }

  // Creates ORDER with a memo field, appends one record with a memo.
  void WriteOneRecord() {
    ASSERT_TRUE(Create({"NAME;C;10;0", "NOTE;M;0;0"}));
    table_.Append();
    table_.FieldByName("NAME").SetValue(Variant::ascii("new"));
    table_.FieldByName("NOTE").SetValue(Variant::ascii("today's memo"));
    table_.Post();
  }
  // Creates ORDER with a memo field aside through `files` into `table`
  // (made with them too).
  void CreateOn(platform::FileSystem& files, TDbfDataSet& table) {
    table.SetTableName(path_);
    TCreateDbfDataSet creator(Options(files));
    creator.SetDBFTable(&table);
    creator.SetDBFType(TDbfTypes::DBaseIV);
    creator.SetAutoOverwrite(true);
    creator.SetWriteAside(true);
    creator.SetCreateFields({"NAME;C;10;0", "NOTE;M;0;0"});
    ASSERT_TRUE(creator.CreateTable());
  }
  bool YesterdaysPairAlone() const {
    return read_file(path_) == kOldTable && read_file(memo_) == kOldMemo &&
           pharmex::testing::folder_entries(dir_.path()) ==
               std::vector<std::string>{"ORDER.DBF", "ORDER.DBT"};
  }

  std::string memo_ = dir_.file("ORDER.DBT");
};

TEST_F(WriteAsideTest, TheNewPairTakesTheOldOnesPlaceOnlyOnCommit) {
  WriteOneRecord();
  ASSERT_TRUE(table_.WrittenAside());
  EXPECT_EQ(read_file(path_), kOldTable);
  EXPECT_EQ(read_file(memo_), kOldMemo);
  EXPECT_EQ(table_.TableName(), path_);
  table_.Commit();
  EXPECT_FALSE(table_.Active());
  const std::string bytes = Bytes();
  EXPECT_EQ(bytes[0], '\x8B');
  EXPECT_EQ(format::DecodeFixed32(&bytes[format::kRecordCountOffset]), 1u);
  // The memo file's header names the table it belongs to, not the
  // temporary name it was written under.
  EXPECT_EQ(read_file(memo_).substr(8, 8), std::string("ORDER\0\0\0", 8));
  EXPECT_EQ(pharmex::testing::folder_entries(dir_.path()),
            (std::vector<std::string>{"ORDER.DBF", "ORDER.DBT"}));
  TDbfDataSet reopened(Options());
  reopened.SetTableName(path_);
  reopened.Open();
  EXPECT_EQ(reopened.FieldByName("NOTE").Value().to_text(reopened.Settings()), u"today's memo");
}

TEST_F(WriteAsideTest, CloseThrowsTheNewTableAway) {
  WriteOneRecord();
  table_.Close();
  EXPECT_TRUE(YesterdaysPairAlone());
}

TEST_F(WriteAsideTest, ATableWithoutMemoFieldsLeavesTheOldMemoFileAlone) {
  ASSERT_TRUE(Create({"A;C;1;0"}));
  table_.Commit();
  EXPECT_EQ(Bytes().size(), 66u);
  EXPECT_EQ(read_file(memo_), kOldMemo);
}

TEST_F(WriteAsideTest, MessagesNameTheFilesTheUserAskedFor) {
  testing::FaultyFileSystem files;
  TDbfDataSet table(Options(files));
  CreateOn(files, table);
  table.Append();
  files.faults.fail_op = testing::FileOp::kWrite;
  files.faults.fail_op_number = files.faults.count(testing::FileOp::kWrite) + 1;
  EXPECT_THROW_MSG(table.FieldByName("NOTE").SetValue(Variant::ascii("memo")), DbfError,
                   "Error writing to " + memo_);
  files.faults.fail_op_number = files.faults.count(testing::FileOp::kWrite) + 1;
  EXPECT_THROW_MSG(table.Post(), DbfError, "Error writing to " + path_);
  EXPECT_NE(platform::StagedFiles::id_of(platform::extract_file_name(files.faults.failed_path)), "")
      << "the memo file was not written aside: " << files.faults.failed_path;
  table.Close();
  EXPECT_TRUE(YesterdaysPairAlone());
}

TEST_F(WriteAsideTest, AnOldFileThatMayNotBeReplacedIsRefusedBeforeAnythingIsWritten) {
  for (const std::string& held : {path_, memo_}) {
    auto holder = platform::posix_file_system().open(held, platform::FileAccess::kRead,
                                                     platform::FileSharing::kExclusive);
    ASSERT_NE(holder, nullptr);
    EXPECT_THROW_MSG(Create({"NAME;C;10;0", "NOTE;M;0;0"}), DbfError,
                     "Could not create file " + held);
    EXPECT_FALSE(table_.Active());
    holder.reset();
    EXPECT_TRUE(YesterdaysPairAlone());
  }
}

TEST_F(WriteAsideTest, AReaderOfTheOldTableKeepsTheOldPair) {
  // With or without memo fields the new table waits for none: a reader that
  // has the old table open may still open the memo file beside it.
  for (const std::vector<std::string>& fields :
       {std::vector<std::string>{"NAME;C;10;0", "NOTE;M;0;0"},
        std::vector<std::string>{"NAME;C;10;0"}}) {
    SCOPED_TRACE(fields.size());
    ASSERT_TRUE(Create(fields));
    table_.Append();
    table_.Post();
    auto reader = platform::posix_file_system().open(path_, platform::FileAccess::kRead,
                                                     platform::FileSharing::kShared);
    ASSERT_NE(reader, nullptr);
    EXPECT_THROW_MSG(table_.Commit(), DbfError, "Error on Rename of file " + path_);
    reader.reset();
    EXPECT_TRUE(YesterdaysPairAlone());
  }
}

// The n-th of the four renames that put a pair in place fails: those before
// it are undone.
struct PairStepCase {
  int rename;
  const char* names;  // the file the message names: "table" or "memo"
};

class PairCommitTest : public WriteAsideTest, public ::testing::WithParamInterface<PairStepCase> {};

TEST_P(PairCommitTest, AFailedStepLeavesTheOldPairInPlace) {
  testing::FaultyFileSystem files;
  files.faults.fail_op = testing::FileOp::kRename;
  files.faults.fail_op_number = GetParam().rename;
  TDbfDataSet table(Options(files));
  CreateOn(files, table);
  table.Append();
  table.FieldByName("NOTE").SetValue(Variant::ascii("today's memo"));
  table.Post();
  const std::string named = GetParam().names == std::string("memo") ? memo_ : path_;
  EXPECT_THROW_MSG(table.Commit(), DbfError, "Error on Rename of file " + named);
  EXPECT_TRUE(YesterdaysPairAlone());
}

INSTANTIATE_TEST_SUITE_P(Steps, PairCommitTest,
                         ::testing::Values(PairStepCase{1, "table"}, PairStepCase{2, "memo"},
                                           PairStepCase{3, "memo"}, PairStepCase{4, "table"}),
                         [](const auto& info) { return std::to_string(info.param.rename); });

TEST(FieldSpecTest, ReadsTheFourParts) {
  std::optional<TFieldSpec> spec = TFieldSpec::Parse("qnt;n; 14;2;;  ");
  ASSERT_TRUE(spec);
  EXPECT_EQ(spec->name, "qnt");
  EXPECT_EQ(spec->type, 'n');
  EXPECT_EQ(spec->length, 14);
  EXPECT_EQ(spec->decimals, 2);
  EXPECT_EQ(spec->StoredName(), "QNT");
  EXPECT_EQ(spec->StoredType(), 'N');
  EXPECT_EQ(TFieldSpec::Parse(" x ;C;1;0")->name, " x ");  // taken as written
  EXPECT_FALSE(TFieldSpec::Parse(""));
}

}  // namespace
}  // namespace pharmex::dbf
