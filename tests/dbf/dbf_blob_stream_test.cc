// Memo and binary fields through the dataset: the memo stream, what lands in
// the memo file when a field is assigned, and what a failure leaves.
#include "dbf/dbf_blob_stream.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <utility>

#include "core/error.h"
#include "dbf/create_dbf_dataset.h"
#include "dbf/dbf_dataset.h"
#include "dbf/dbf_test_util.h"
#include "dbf/fault_file_system.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace pharmex::dbf {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::same_value;
using pharmex::testing::TempDir;
using testing::Get32;

Variant Utf8(std::string_view text) {
  return Variant::string(platform::utf8_to_utf16(text));
}

class MemoFieldTest : public ::testing::Test {
 protected:
  explicit MemoFieldTest(EngineOptions options = EngineOptions::process_defaults())
      : data_(std::move(options)), memo_path_(dir_.file("ORDER.DBT")) {
    Create(TDbfTypes::DBaseIV);
  }

  void Create(TDbfTypes type) {
    data_.Close();
    data_.SetTableName(dir_.file("ORDER.DBF"));
    TCreateDbfDataSet creator;
    creator.SetDBFTable(&data_);
    creator.SetDBFType(type);
    creator.SetAutoOverwrite(true);
    creator.SetCreateFields({"NAME;C;10;0", "NOTE;M;0;0", "DATA;B;0;0"});
    EXPECT_TRUE(creator.CreateTable());
  }
  void Reopen() {
    data_.Close();
    data_.Open();
  }
  TDbfField& Note() { return data_.FieldByName("NOTE"); }
  std::string NoteText() { return std::string(data_.DBFObject()->GetFieldText(Note().Index())); }
  std::string Memo() const { return read_file(memo_path_); }
  void AppendNote(const Variant& value) {
    data_.Append();
    Note().SetValue(value);
    data_.Post();
  }

  TempDir dir_;
  TDbfDataSet data_;
  std::string memo_path_;
};

TEST_F(MemoFieldTest, AFirstThreeCharacterMemoMakesTheFileTwoBlocksLong) {
  EXPECT_EQ(read_file(dir_.file("ORDER.DBF"))[0], '\x8B');
  EXPECT_EQ(Memo().size(), 24u);
  data_.Append();
  Note().SetValue(Variant::ascii("abc"));
  // Written at assignment, before the record is posted.
  const std::string memo = Memo();
  ASSERT_EQ(memo.size(), 1024u);
  EXPECT_EQ(memo.substr(512, 8), std::string("\xFF\xFF\x08\0\x0B\0\0\0", 8));
  EXPECT_EQ(Get32(memo, 0), 2u);
  EXPECT_EQ(NoteText(), "         1");
  data_.Post();
  Reopen();
  EXPECT_TRUE(same_value(Note().Value(), Variant::ascii("abc")));
}

TEST_F(MemoFieldTest, MemoTextIsStoredInOemAndBlobBytesAsTheyAre) {
  data_.Append();
  Note().SetValue(Utf8("Йод"));
  data_.FieldByName("DATA").SetValue(Utf8("Йод"));
  data_.Post();
  const std::string memo = Memo();
  EXPECT_EQ(memo.substr(520, 3), "\x89\xAE\xA4");   // block 1: OEM
  EXPECT_EQ(memo.substr(1032, 3), "\xC9\xEE\xE4");  // block 2: the ANSI bytes
  // A text given without a variant is stored alike.
  data_.Append();
  Note().SetText(u"Йод");
  data_.FieldByName("DATA").SetText(u"Йод");
  data_.Post();
  EXPECT_EQ(Memo().substr(1536, 1024), memo.substr(512, 1024));  // blocks 3 and 4
  Reopen();
  EXPECT_TRUE(same_value(Note().Value(), Utf8("Йод")));
  EXPECT_TRUE(same_value(data_.FieldByName("DATA").Value(), Utf8("Йод")));
}

TEST_F(MemoFieldTest, AnEmptyOrNullMemoStoresBlockZeroAndNoBlock) {
  data_.Append();
  EXPECT_EQ(NoteText(), "          ");  // a new record leaves memo fields blank
  EXPECT_TRUE(Note().IsNull());
  Note().SetValue(Variant::ascii(""));
  EXPECT_EQ(NoteText(), "         0");
  Note().SetValue(Variant::null());
  EXPECT_EQ(NoteText(), "         0");
  EXPECT_TRUE(Note().Value().is_null());
  data_.Cancel();
  data_.Append();
  Note().SetText(u"");
  EXPECT_EQ(NoteText(), "         0");
  EXPECT_LE(Memo().size(), 512u);
}

TEST_F(MemoFieldTest, AGrowingMemoMovesAndFreesItsOldBlock) {
  AppendNote(Variant::ascii("abc"));
  data_.Edit();
  Note().SetValue(Variant::ascii(std::string(600, 'x')));
  EXPECT_EQ(NoteText(), "         2");
  data_.Post();
  const std::string memo = Memo();
  EXPECT_EQ(memo.size(), 512u * 4);
  EXPECT_EQ(Get32(memo, 0), 1u);        // the freed block heads the chain
  EXPECT_EQ(Get32(memo, 512 + 4), 1u);  // as a run of one block
  AppendNote(Variant::ascii("new"));    // and is taken by the next short memo
  EXPECT_EQ(NoteText(), "         1");
}

TEST_F(MemoFieldTest, CancelLeavesTheMemoBlocksInTheFile) {
  data_.Append();
  Note().SetValue(Variant::ascii("kept"));
  data_.Cancel();
  EXPECT_EQ(data_.RecordCount(), 0);
  EXPECT_EQ(Memo().substr(520, 4), "kept");
}

TEST_F(MemoFieldTest, ACancelledEditKeepsTheRecordsMemo) {
  AppendNote(Variant::ascii("abc"));
  // A longer text, then one that would fit the old block: neither touches it.
  for (const std::string& text : {std::string(600, 'x'), std::string("xyz")}) {
    data_.Edit();
    Note().SetValue(Variant::ascii(text));
    Note().SetValue(Variant::ascii(text + "!"));  // the edit's own memo is replaced
    data_.Cancel();
    EXPECT_TRUE(same_value(Note().Value(), Variant::ascii("abc"))) << text;
  }
  Reopen();
  EXPECT_TRUE(same_value(Note().Value(), Variant::ascii("abc")));
  EXPECT_EQ(Get32(Memo(), 512), 0x0008FFFFu);  // block 1 is still a memo
}

TEST_F(MemoFieldTest, AMissingMemoFileIsReportedOnFirstUse) {
  AppendNote(Variant::ascii("abc"));
  data_.Close();
  std::filesystem::remove(memo_path_);
  data_.Open();  // opening the table does not need the memo file
  EXPECT_THROW_MSG(Note().Value(), DbfError, "File " + memo_path_ + " could not be found");
}

TEST_F(MemoFieldTest, ABadBlockNumberIsABadMemo) {
  AppendNote(Variant::ascii("abc"));
  data_.Edit();
  data_.DBFObject()->PutInteger(Note().Index(), 7);
  EXPECT_THROW_MSG(Note().Value(), DbfError, "Memo record is bad in " + memo_path_);
  // A new text does not free the blocks of a bad memo; it goes elsewhere.
  Note().SetValue(Variant::ascii("again"));
  EXPECT_EQ(NoteText(), "         2");
}

TEST_F(MemoFieldTest, AMemoLockHeldElsewhereFailsTheAssignmentAfterTheRetries) {
  int pauses = 0;
  data_.SetLockRetry(
      {3, std::chrono::milliseconds(50), [&](std::chrono::milliseconds) { ++pauses; }});
  data_.Append();
  Note().SetValue(Variant::ascii("a"));  // opens the memo file (shared)
  auto other = platform::posix_file_system().open(memo_path_, platform::FileAccess::kReadWrite,
                                                  platform::FileSharing::kShared);
  ASSERT_TRUE(other->try_lock(0x7FFFFFFD, 1));
  EXPECT_THROW_MSG(Note().SetValue(Variant::ascii("b")), DbfError,
                   "Can not Lock file " + memo_path_);
  EXPECT_EQ(pauses, 2);
  EXPECT_EQ(NoteText(), "         1");
}

TEST_F(MemoFieldTest, OtherFlavoursWriteTheirOwnMemoFiles) {
  Create(TDbfTypes::DBaseIII);
  EXPECT_EQ(read_file(dir_.file("ORDER.DBF"))[0], '\x83');
  EXPECT_EQ(Memo().size(), 513u);
  AppendNote(Variant::ascii("three"));
  EXPECT_EQ(Memo().substr(512, 7), "three\x1A\x1A");
  Reopen();
  EXPECT_TRUE(same_value(Note().Value(), Variant::ascii("three")));

  Create(TDbfTypes::FoxPro2);
  EXPECT_EQ(read_file(dir_.file("ORDER.DBF"))[0], '\xF5');
  const std::string fpt = dir_.file("ORDER.FPT");
  EXPECT_EQ(read_file(fpt).size(), 512u);
  AppendNote(Variant::ascii("fox"));
  EXPECT_EQ(NoteText(), "         8");
  EXPECT_EQ(read_file(fpt).substr(512, 11), std::string("\0\0\0\x01\0\0\0\x03"
                                                        "fox",
                                                        11));
  Reopen();
  EXPECT_TRUE(same_value(Note().Value(), Variant::ascii("fox")));
}

class MemoWriteFaultTest : public MemoFieldTest {
 protected:
  MemoWriteFaultTest() : MemoFieldTest(testing::options_with(files_)) {
    files_.faults = testing::Faults{};
    files_.faults.path_suffix = ".DBT";
  }
  // The next test creates its files with only the memo file faulty.
  void TearDown() override { files_.faults.path_suffix = ".DBT"; }
  void FailWrite(int n) { files_.faults.fail_write_number = files_.faults.writes + n; }

  static testing::FaultyFileSystem files_;
};

testing::FaultyFileSystem MemoWriteFaultTest::files_;

TEST_F(MemoWriteFaultTest, AFailedMemoWriteLeavesTheBlockNumberUnchanged) {
  AppendNote(Variant::ascii("abc"));
  data_.Edit();
  FailWrite(2);  // link the chain behind the new memo, then the text
  EXPECT_THROW_MSG(Note().SetValue(Variant::ascii(std::string(600, 'x'))), DbfError,
                   "Error writing to " + memo_path_);
  EXPECT_EQ(NoteText(), "         1");
  EXPECT_EQ(data_.State(), TDataSetState::dsEdit);

  data_.Append();  // the unmodified edit is dropped
  FailWrite(1);
  EXPECT_THROW_MSG(Note().SetValue(Variant::ascii("abc")), DbfError,
                   "Error writing to " + memo_path_);
  EXPECT_EQ(NoteText(), "          ");
}

TEST_F(MemoWriteFaultTest, AnEditWhosePostFailsKeepsTheRecordsMemo) {
  AppendNote(Variant::ascii("abc"));
  files_.faults.path_suffix = "ORDER.DBF";
  Reopen();  // the table's writes can fail now
  data_.Edit();
  Note().SetValue(Variant::ascii(std::string(600, 'x')));
  FailWrite(1);
  EXPECT_THROW_MSG(data_.Post(), DbfError, "Error writing to " + dir_.file("ORDER.DBF"));
  data_.Cancel();
  EXPECT_TRUE(same_value(Note().Value(), Variant::ascii("abc")));
  Reopen();
  EXPECT_TRUE(same_value(Note().Value(), Variant::ascii("abc")));
}

// The stream on its own: positions, partial reads, overwriting.
class BlobStreamTest : public MemoFieldTest {};

TEST_F(BlobStreamTest, ReadsSeeksAndWrites) {
  AppendNote(Variant::ascii("hello world"));
  {
    TDbfBlobStream read(Note(), TBlobStreamMode::bmRead);
    EXPECT_EQ(read.Size(), 11);
    char buffer[5];
    EXPECT_EQ(read.Read(buffer), 5u);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    EXPECT_EQ(read.Seek(-5, TSeekOrigin::soEnd), 6);
    EXPECT_EQ(read.Read(buffer), 5u);
    EXPECT_EQ(std::string(buffer, 5), "world");
    EXPECT_EQ(read.Read(buffer), 0u);
    EXPECT_EQ(read.Seek(-100, TSeekOrigin::soCurrent), 0);
    EXPECT_FALSE(read.Changed());
  }
  EXPECT_THROW_MSG(TDbfBlobStream(Note(), TBlobStreamMode::bmWrite), DatabaseError,
                   "Dataset not in edit or insert mode");
  data_.Edit();
  {
    TDbfBlobStream write(Note(), TBlobStreamMode::bmWrite);
    EXPECT_EQ(write.Size(), 0);  // write mode starts empty
    write.Write("abcdef");
    write.Seek(2, TSeekOrigin::soBeginning);
    write.Write("X");  // everything from the position on is replaced
    EXPECT_EQ(write.Data(), "abX");
    write.Seek(2, TSeekOrigin::soEnd);
    write.Write("Z");
    EXPECT_EQ(write.Data(), std::string("abX\0\0Z", 6));
    write.Release();
    EXPECT_FALSE(write.Changed());
  }
  data_.Post();
  EXPECT_TRUE(same_value(Note().Value(), Variant::string(std::u16string(u"abX\0\0Z", 6))));
}

TEST_F(BlobStreamTest, IsNotStoredUnlessReleasedWhileEditing) {
  AppendNote(Variant::ascii("old"));
  data_.Edit();
  {
    TDbfBlobStream dropped(Note(), TBlobStreamMode::bmWrite);
    dropped.Write("never");
  }
  EXPECT_EQ(NoteText(), "         1");
  TDbfBlobStream late(Note(), TBlobStreamMode::bmWrite);
  late.Write("late");
  data_.Cancel();
  late.Release();  // the edit is over: nothing to store into
  EXPECT_TRUE(same_value(Note().Value(), Variant::ascii("old")));
}

}  // namespace
}  // namespace pharmex::dbf
