// Tables written and read by an independent dBase library (Debian's
// python3-dbf and python3-dbfread), so the engine is checked against someone
// else's reading of the format and not only its own.
#include <cstdio>
#include <memory>
#include <string>

#include "core/date_time.h"
#include "dbf/dbf_field_layer.h"
#include "dbf/dbf_test_util.h"
#include "testing/test_support.h"

namespace pharmex::dbf {
namespace {

using pharmex::testing::TempDir;
using pharmex::testing::write_file;

std::string Fixture(const char* name) {
  return std::string(PHARMEX_SOURCE_DIR) + "/tests/dbf/data/" + name;
}

std::string Text(const TDbfFieldLayer& table, int field) {
  std::string text;
  table.GetString(field, true, text);
  return text;
}

TEST(PeerFilesTest, ReadsADbaseIIITableWithOemText) {
  TDbfFieldLayer table(Fixture("peer_db3.dbf"), true, false, platform::posix_file_system(),
                       platform::system_clock());
  table.OpenTable();
  ASSERT_EQ(table.RecordCount(), 3);
  ASSERT_EQ(table.FieldCount(), 4);
  ASSERT_TRUE(table.GotoRecord(1));
  EXPECT_EQ(Text(table, 0), "\xC0\xF1\xEF\xE8\xF0\xE8\xED");  // "Аспирин" in 1251
  EXPECT_DOUBLE_EQ(table.GetNumber(1), 12.5);
  EXPECT_EQ(table.GetDate(2), encode_date(2024, 3, 5));
  EXPECT_TRUE(table.GetLogical(3));
  ASSERT_TRUE(table.GotoRecord(kNextRecord));
  EXPECT_TRUE(table.RecordDeleted());
  EXPECT_EQ(Text(table, 0), "\xC9\xEE\xE4, 5%");  // "Йод, 5%"
  EXPECT_DOUBLE_EQ(table.GetNumber(1), -0.5);
  EXPECT_EQ(table.GetDate(2), std::nullopt);
  EXPECT_FALSE(table.GetLogical(3));
  ASSERT_TRUE(table.GotoRecord(kLastRecord));
  EXPECT_EQ(table.GetDate(2), encode_date(1999, 12, 31));
  EXPECT_FALSE(table.GetLogical(3));  // stored as "?"
}

TEST(PeerFilesTest, ReadsTheBinaryFieldsOfAVisualFoxProTable) {
  TDbfFieldLayer table(Fixture("peer_vfp.dbf"), true, false, platform::posix_file_system(),
                       platform::system_clock());
  table.OpenTable();
  EXPECT_EQ(table.HeaderLength(), 456u);  // with the 263-byte trailer
  ASSERT_TRUE(table.GotoRecord(1));
  EXPECT_EQ(table.GetInteger(0), -7);
  EXPECT_DOUBLE_EQ(table.GetNumber(1), 2.75);
  EXPECT_DOUBLE_EQ(table.GetNumber(2), 12.3455);  // the writer truncated 12.3456
  EXPECT_DOUBLE_EQ(table.GetNumber(3), *encode_date(2024, 3, 5) + *encode_time(12, 30, 15, 0));
  EXPECT_EQ(Text(table, 4), "\xCC\xE0\xE7\xFC");  // "Мазь"
}

// Runs a Python snippet; nothing when python3 or the module is missing.
std::optional<std::string> RunPython(const std::string& script) {
  std::string command = "/usr/bin/python3 -c '" + script + "' 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return std::nullopt;
  std::string out;
  char buffer[256];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe.get())) > 0)
    out.append(buffer, n);
  if (pclose(pipe.release()) != 0) return std::nullopt;
  return out;
}

TEST(PeerFilesTest, AnotherReaderSeesWhatTheEngineWrote) {
  if (!RunPython("import dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  TempDir dir;
  const std::string path = dir.file("OUT.DBF");
  testing::TableSpec spec;
  spec.fields = {{"NAME", 'C', 12, 0}, {"QTY", 'N', 10, 3}, {"DAY", 'D', 8, 0}, {"OK", 'L', 1, 0}};
  write_file(path, testing::MakeTable(spec));
  {
    TDbfFieldLayer table(path, false, true, platform::posix_file_system(),
                         platform::system_clock());
    table.OpenTable();
    table.BlankRecord();
    table.PutString(0, "\xCF\xF0\xE8\xE2\xE5\xF2", true);  // "Привет"
    table.PutNumber(1, -1234.5675);
    table.PutDate(2, *encode_date(2024, 2, 29));
    table.PutLogical(3, true);
    table.AppendRecord();
    table.BlankRecord();
    table.AppendRecord();
  }
  std::optional<std::string> out = RunPython(
      "import dbfread\n"
      "t = dbfread.DBF(\"" +
      path +
      "\", encoding=\"cp866\")\n"
      "print(len(t), t.header.numrecords)\n"
      "for r in t: print(repr(r[\"NAME\"]), r[\"QTY\"], r[\"DAY\"], r[\"OK\"])\n");
  ASSERT_TRUE(out.has_value());
  EXPECT_EQ(*out,
            "2 2\n"
            "'Привет' -1234.568 2024-02-29 True\n"
            "'' 0.0 None None\n");
}

}  // namespace
}  // namespace pharmex::dbf
