// Order files written by an independent dBase library (Debian's python3-dbf,
// run as a black box) and imported: dBase III tables with a code-page-866
// marker, Cyrillic article codes, a deleted record. Skipped when python3-dbf
// is not installed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "import/order_reader.h"
#include "import/order_reader_fixture.h"
#include "memhost/csv_reader.h"
#include "pharmex/pharmex.h"
#include "platform/headless_driver.h"

namespace pharmex::importing {
namespace {

using pharmex::testing::read_file;
using pharmex::testing::write_file;

constexpr const char* kPython = "/usr/bin/python3";

bool python3_dbf_installed() {
  std::string command = std::string(kPython) + " -c 'import dbf' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// argv: path, then the field list; records as Python literals, one per line
// on stdin; a record whose first value starts with "~" is deleted after it
// was written.
const char* const kWriter = R"(
import sys
import dbf
table = dbf.Table(sys.argv[1], sys.argv[2], codepage='cp866', dbf_type='db3')
table.open(dbf.READ_WRITE)
for line in sys.stdin.read().splitlines():
    values = list(eval(line))
    deleted = isinstance(values[0], str) and values[0].startswith('~')
    if deleted:
        values[0] = values[0][1:]
    table.append(tuple(values))
    if deleted:
        dbf.delete(table[-1])
table.close()
)";

class PeerOrderTest : public testing::OrderReaderTest {
 protected:
  // Writes a table with python3-dbf; `records` are Python tuples, one a line.
  void peer_write(const std::string& fields, const std::string& records) {
    write_file(root() + "/writer.py", kWriter);
    write_file(root() + "/records.txt", records);
    std::string command = std::string(kPython) + " " + root() + "/writer.py " + path_ + " '" +
                          fields + "' <" + root() + "/records.txt 2>" + root() + "/err.txt";
    ASSERT_EQ(std::system(command.c_str()), 0) << read_file(root() + "/err.txt");
  }
};

TEST_F(PeerOrderTest, ImportsAUnicoFileWithCyrillicCodes) {
  if (!python3_dbf_installed()) GTEST_SKIP() << "python3-dbf is not installed";
  peer_write("CODEPST C(12); NAME C(40); QNT N(14,2)",
             "('Ц-1001', 'Аспирин', 2)\n"
             "('~Ж-7', 'Зелёнка', 1)\n"
             "('Ц-1002', 'Анальгин', 3.5)\n"
             "('ц-1001', 'Аспирин', 9)\n");
  prices_ = memhost::read_csv(
      "suppliers_id:integer,art_id:string(12),art_name:string(40)\n"
      "3,Ц-1001,Аспирин таб.\n3,Ц-1002,Анальгин таб.\n3,Ж-7,Зелёнка р-р\n",
      "prices.csv");
  lines_ = memhost::read_csv(
      "suppliers_id:integer,art_id:string(12),art_name:string(40),qty:float\n", "lines.csv");
  run(unico_order_reader);
  // The deleted record is passed over; codes compare exactly, case included.
  EXPECT_EQ(lines_now(), "3,Ц-1001,Аспирин таб.,2\n3,Ц-1002,Анальгин таб.,3.5\n");
}

TEST_F(PeerOrderTest, ImportsADbf4LayoutFileThroughTheEntryPoint) {
  if (!python3_dbf_installed()) GTEST_SKIP() << "python3-dbf is not installed";
  peer_write("SUPPL_ID N(11,0); ART_ID N(11,0); ART_NAME C(40); QTY N(8,0)",
             "(4, 2001, 'Бинт', 3)\n(3, 1001, 'Аспирин', 4)\n");
  auto second = memhost::MemoryDataSet::create({});
  order_import_from_file(prices_.get(), second.get(), lines_.get(), path_.c_str());
  EXPECT_STREQ(pharmex_last_error(), "");
  EXPECT_EQ(lines_now(), "1,4,2001,Бинт (old),29,5,keep\n,3,1001,Аспирин,12.5,4,\n");
}

}  // namespace
}  // namespace pharmex::importing
