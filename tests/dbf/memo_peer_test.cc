// Memo tables checked against independent dBase libraries (Debian's
// python3-dbfread and python3-dbf, run as black boxes): tables with memos
// written here must read back there, and a memo table written there must read
// back here.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "dbf/create_dbf_dataset.h"
#include "dbf/dbf_dataset.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace pharmex::dbf {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;

constexpr const char* kPython = "/usr/bin/python3";

std::string Fixture(const char* name) {
  return std::string(PHARMEX_SOURCE_DIR) + "/tests/dbf/data/" + name;
}

bool PythonHas(const char* module) {
  const std::string command = std::string(kPython) + " -c 'import " + module + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

Variant Utf8(std::string_view text) {
  return Variant::string(platform::utf8_to_utf16(text));
}

std::string Hex(std::string_view bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (char c : bytes) {
    out.push_back(kDigits[static_cast<unsigned char>(c) >> 4]);
    out.push_back(kDigits[static_cast<unsigned char>(c) & 15]);
  }
  return out;
}

// Each record as "NAME<tab>hex of the memo's UTF-8 text" ("-" for none), the
// way the peer reads it.
const char* const kDbfreadScript = R"(
import sys
from dbfread import DBF
for record in DBF(sys.argv[1], encoding='cp866'):
    note = record['NOTE']
    print(record['NAME'] + '\t' + ('-' if note is None else note.encode('utf-8').hex()))
)";

const char* const kDbfScript = R"(
import sys
import dbf
table = dbf.Table(sys.argv[1], codepage='cp866')
with table.open(dbf.READ_ONLY):
    for record in table:
        print(record.name.strip() + '\t' + record.note.encode('utf-8').hex())
)";

class MemoPeerTest : public ::testing::Test {
 protected:
  // Runs a peer script on a table; its output lines.
  std::vector<std::string> Peer(const char* script, const std::string& table) {
    write_file(dir_.file("peer.py"), script);
    const std::string command = std::string(kPython) + " " + dir_.file("peer.py") + " " + table +
                                " >" + dir_.file("out.txt") + " 2>" + dir_.file("err.txt");
    EXPECT_EQ(std::system(command.c_str()), 0) << read_file(dir_.file("err.txt"));
    std::vector<std::string> lines;
    std::string out = read_file(dir_.file("out.txt"));
    for (size_t start = 0, end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
      lines.push_back(out.substr(start, end - start));
    return lines;
  }

  // A table of the flavour with a record per text; the first memo is then
  // rewritten longer, so that its old blocks are freed and reused.
  std::string Write(TDbfTypes type, const std::vector<std::string>& texts) {
    const std::string path = dir_.file("MEMO.DBF");
    TDbfDataSet table;
    table.SetTableName(path);
    TCreateDbfDataSet creator;
    creator.SetDBFTable(&table);
    creator.SetDBFType(type);
    creator.SetAutoOverwrite(true);
    creator.SetCreateFields({"NAME;C;10;0", "NOTE;M;0;0"});
    EXPECT_TRUE(creator.CreateTable());
    for (size_t i = 0; i < texts.size(); ++i) {
      table.Append();
      table.FieldByName("NAME").SetValue(Variant::ascii("r" + std::to_string(i)));
      table.FieldByName("NOTE").SetValue(Utf8(texts[i]));
      table.Post();
    }
    return path;
  }

  TempDir dir_;
};

const std::vector<std::string> kTexts = {"abc", "Аспирин 500 мг, таблетки", std::string(600, 'x'),
                                         "Бинт\r\nстерильный"};

TEST_F(MemoPeerTest, DbfreadReadsOurDbaseIVMemos) {
  if (!PythonHas("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  std::string path = Write(TDbfTypes::DBaseIV, kTexts);
  {
    // Grow the first memo (its block is freed) and add one that reuses it.
    TDbfDataSet table;
    table.SetTableName(path);
    table.Open();
    table.Edit();
    table.FieldByName("NOTE").SetValue(Variant::ascii(std::string(700, 'g')));
    table.Post();
    table.Append();
    table.FieldByName("NAME").SetValue(Variant::ascii("reuse"));
    table.FieldByName("NOTE").SetValue(Variant::ascii("short"));
    EXPECT_EQ(table.DBFObject()->GetFieldText(1), "         1");
    table.Post();
  }
  // dbfread takes the length word (text + 8) for the text's length and so
  // returns the 8 zero bytes after each text as well.
  const std::string pad = Hex(std::string(8, '\0'));
  EXPECT_EQ(
      Peer(kDbfreadScript, path),
      (std::vector<std::string>{"r0\t" + Hex(std::string(700, 'g')) + pad,
                                "r1\t" + Hex(kTexts[1]) + pad, "r2\t" + Hex(kTexts[2]) + pad,
                                "r3\t" + Hex(kTexts[3]) + pad, "reuse\t" + Hex("short") + pad}));
}

TEST_F(MemoPeerTest, DbfreadReadsOurDbaseIIIAndFoxProMemos) {
  if (!PythonHas("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  std::vector<std::string> expected;
  for (size_t i = 0; i < kTexts.size(); ++i)
    expected.push_back("r" + std::to_string(i) + "\t" + Hex(kTexts[i]));
  EXPECT_EQ(Peer(kDbfreadScript, Write(TDbfTypes::DBaseIII, kTexts)), expected);
  EXPECT_EQ(Peer(kDbfreadScript, Write(TDbfTypes::FoxPro2, kTexts)), expected);
}

TEST_F(MemoPeerTest, Python3DbfReadsOurDbaseIIIMemos) {
  if (!PythonHas("dbf")) GTEST_SKIP() << "python3-dbf is not installed";
  std::vector<std::string> expected;
  for (size_t i = 0; i < kTexts.size(); ++i)
    expected.push_back("r" + std::to_string(i) + "\t" + Hex(kTexts[i]));
  EXPECT_EQ(Peer(kDbfScript, Write(TDbfTypes::DBaseIII, kTexts)), expected);
}

TEST_F(MemoPeerTest, ReadsADbaseIIIMemoTableWrittenByPython3Dbf) {
  TDbfDataSet table;
  table.SetTableName(Fixture("peer_db3_memo.dbf"));
  table.SetReadOnly(true);
  table.Open();
  std::vector<std::u16string> notes;
  for (table.First(); !table.Eof(); table.Next())
    notes.push_back(table.FieldByName("note").Value().to_text(table.Settings()));
  EXPECT_EQ(notes, (std::vector<std::u16string>{u"Аспирин", u"", std::u16string(700, u'x')}));
}

TEST_F(MemoPeerTest, RewritesAMemoOfAPeerTableWhichThePeerThenReads) {
  const std::string path = dir_.file("peer_db3_memo.dbf");
  std::filesystem::copy_file(Fixture("peer_db3_memo.dbf"), path);
  std::filesystem::copy_file(Fixture("peer_db3_memo.dbt"), dir_.file("peer_db3_memo.dbt"));
  {
    TDbfDataSet table;
    table.SetTableName(path);
    table.Open();
    table.Edit();
    table.FieldByName("NOTE").SetValue(Utf8(std::string(800, 'n')));  // no longer fits
    table.Post();
  }
  if (!PythonHas("dbf")) GTEST_SKIP() << "python3-dbf is not installed";
  EXPECT_EQ(Peer(kDbfScript, path),
            (std::vector<std::string>{"one\t" + Hex(std::string(800, 'n')), "two\t",
                                      "three\t" + Hex(std::string(700, 'x'))}));
}

}  // namespace
}  // namespace pharmex::dbf
