// Every table layout the library writes, read back by two independent dBase
// libraries (Debian's python3-dbfread and python3-dbf, run as black boxes by
// peer_dump.py) and compared field by field, record by record, with what the
// engine itself reads. python3-dbf refuses dBase IV memo tables (0x8B), so it
// reads the layouts without memo fields only. And the other way round:
// tables with memos and Cyrillic text written by python3-dbf (dBase III,
// FoxPro, and dBase III marked as code page 1251) are read and imported by
// the library.
//
// Skipped when /usr/bin/python3 lacks the modules (scripts/test.sh installs
// them).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/date_time.h"
#include "core/regional_settings.h"
#include "dbf/dbf_dataset.h"
#include "dbf/dbf_field_layer.h"
#include "host/run_test_support.h"
#include "import/order_reader.h"
#include "memhost/csv_reader.h"
#include "memhost/csv_writer.h"
#include "platform/text_codec.h"
#include "reliability/layouts.h"
#include "validate/validate_support.h"

namespace pharmex::reliability {
namespace {

namespace fs = std::filesystem;
using pharmex::testing::read_file;
using pharmex::testing::write_file;

constexpr const char* kPython = "/usr/bin/python3";

bool python_has(const char* module) {
  const std::string command = std::string(kPython) + " -c 'import " + module + "' >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

std::string script(const char* name) {
  return std::string(PHARMEX_SOURCE_DIR) + "/tests/reliability/" + name;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  return lines;
}

// A field's value in the form peer_dump.py prints.
std::string canonical(const dbf::TDbfFieldDef& def, const Variant& value) {
  switch (def.type) {
    case 'C':
      return value.is_null() ? "" : platform::utf16_to_utf8(value.to_text(RegionalSettings{}));
    case 'N':
    case 'F': {
      if (def.decimals == 0 && value.is_whole()) return std::to_string(value.whole_value());
      char text[64];
      std::snprintf(text, sizeof text, "%.*f", static_cast<int>(def.decimals),
                    value.to_double(RegionalSettings{}));
      return text;
    }
    case 'D': {
      if (value.is_null()) return "<null>";
      const std::optional<DateParts> day = decode_date_time(value.double_value());
      char text[16];
      std::snprintf(text, sizeof text, "%04d-%02d-%02d", day->year, day->month, day->day);
      return text;
    }
    case 'L':
      return value.boolean_value() ? "T" : "F";
    default:
      return value.is_null() ? "<null>"
                             : platform::utf16_to_utf8(value.to_text(RegionalSettings{}));
  }
}

// The table as the engine reads it, in peer_dump.py's form.
std::vector<std::string> own_reading(const std::string& path) {
  dbf::TDbfDataSet table;
  table.SetTableName(path);
  table.SetReadOnly(true);
  table.SetLargeIntegerAs(dbf::TIntFields::asLargeInt);
  table.Open();
  std::vector<std::string> records;
  for (table.First(); !table.Eof(); table.Next()) {
    std::string line;
    for (int i = 0; i < table.FieldCount(); ++i) {
      const dbf::TDbfFieldDef& def = table.DBFObject()->Field(i);
      if (i > 0) line += '\t';
      line += def.name + "=" + canonical(def, table.Fields(i).Value());
    }
    records.push_back(line);
  }
  records.insert(records.begin(), "count " + std::to_string(records.size()));
  return records;
}

class PeerTest : public host::testing::RunTest {
 protected:
  // What a peer reads ("dbfread" or "dbf"), one line per record after "count N";
  // text in `encoding`.
  std::vector<std::string> peer_reading(const char* reader, const std::string& path,
                                        const std::string& encoding = "cp866") {
    const std::string out = root() + "/peer.out", err = root() + "/peer.err";
    const std::string command = std::string(kPython) + " " + script("peer_dump.py") + " " + reader +
                                " '" + path + "' " + encoding + " >" + out + " 2>" + err;
    EXPECT_EQ(std::system(command.c_str()), 0) << reader << ": " << read_file(err);
    return lines_of(read_file(out));
  }
};

class IndependentReadersTest : public PeerTest, public ::testing::WithParamInterface<Layout> {
 protected:
  std::string path() const { return root() + "/" + GetParam().file_name; }

  void export_layout() {
    host::RunContext run = context();
    GetParam().give_data(run);
    GetParam().routine(run, path());
  }
};

TEST_P(IndependentReadersTest, PeersReadEveryFieldAsTheEngineDoes) {
  if (!python_has("dbfread")) GTEST_SKIP() << "python3-dbfread is not installed";
  export_layout();
  const std::vector<std::string> own = own_reading(path());
  ASSERT_GT(own.size(), 1u) << "the export wrote no records";
  EXPECT_EQ(peer_reading("dbfread", path()), own);
  const bool memo = static_cast<uint8_t>(read_file(path())[0]) == 0x8B;
  if (!memo && python_has("dbf")) {
    EXPECT_EQ(peer_reading("dbf", path()), own);
  }
  const size_t fields = static_cast<size_t>(std::count(own[1].begin(), own[1].end(), '\t')) + 1;
  std::printf("figures: independent readers %s: %zu records x %zu fields equal in dbfread%s\n",
              GetParam().name.c_str(), own.size() - 1, fields, memo ? "" : " and python3-dbf");
}

INSTANTIATE_TEST_SUITE_P(TableLayouts, IndependentReadersTest, ::testing::ValuesIn(table_layouts()),
                         [](const ::testing::TestParamInfo<Layout>& info) {
                           return test_name(info.param.name);
                         });

// Tables python3-dbf writes: dBase III with a memo field, Cyrillic in the
// character and the memo fields (code page 866), one record deleted.
class PeerWrittenTablesTest : public PeerTest {
 protected:
  // Writes the table with peer_write.py; `records` as Python tuples, one a
  // line; python3-dbf's table type and code page.
  void peer_write(const std::string& fields, const std::string& records,
                  const std::string& type = "db3", const std::string& code_page = "cp866") {
    write_file(root() + "/records.txt", records);
    const std::string command = std::string(kPython) + " " + script("peer_write.py") + " " + path_ +
                                " '" + fields + "' " + type + " " + code_page + " <" + root() +
                                "/records.txt 2>" + root() + "/err.txt";
    ASSERT_EQ(std::system(command.c_str()), 0) << read_file(root() + "/err.txt");
  }

  std::string path_ = root() + "/peer.dbf";
};

// A table type and code page of python3-dbf, and the version byte and
// language driver (header byte 29) it writes for them.
struct PeerKind {
  const char* name;
  const char* type;
  const char* code_page;
  uint8_t version;
  uint8_t driver;
};

class PeerWrittenKindsTest : public PeerWrittenTablesTest,
                             public ::testing::WithParamInterface<PeerKind> {};

TEST_P(PeerWrittenKindsTest, TheEngineReadsAMemoTableAsThePeersDo) {
  if (!python_has("dbf") || !python_has("dbfread")) GTEST_SKIP() << "python3-dbf is missing";
  const PeerKind& kind = GetParam();
  peer_write("NAME C(30); QTY N(10,2); DAY D; OK L; NOTE M",
             "('Аспирин Кардио', 12.5, (2026, 3, 2), True, 'Хранить при t° до 25 °C')\n"
             "('~Йод', -1, None, False, 'удалена')\n"
             "('Бинт', 0, (1999, 12, 31), False, '" +
                 std::string(700, 'x') +
                 "')\n"
                 "('Пусто', 3.25, (2026, 1, 15), True, '')\n",
             kind.type, kind.code_page);
  const std::string bytes = read_file(path_);
  ASSERT_EQ(static_cast<uint8_t>(bytes[0]), kind.version) << "not the table type expected";
  ASSERT_EQ(static_cast<uint8_t>(bytes[29]), kind.driver) << "not the code-page mark expected";
  const std::vector<std::string> own = own_reading(path_);
  EXPECT_EQ(own.size(), 4u);
  EXPECT_EQ(own[1],
            "NAME=Аспирин Кардио\tQTY=12.50\tDAY=2026-03-02\tOK=T\tNOTE=Хранить при t° до 25 °C");
  EXPECT_EQ(peer_reading("dbf", path_, kind.code_page), own);
  EXPECT_EQ(peer_reading("dbfread", path_, kind.code_page), own);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PeerWrittenKindsTest,
    ::testing::Values(PeerKind{"DbaseIII", "db3", "cp866", 0x83, 0x26},
                      // 0xF5 with FoxPro's 263-byte area after the fields, memos in a .fpt.
                      PeerKind{"FoxPro", "fp", "cp866", 0xF5, 0x26},
                      PeerKind{"DbaseIIIMarked1251", "db3", "cp1251", 0x83, 0xC9}),
    [](const auto& info) { return std::string(info.param.name); });

// A partner's Khabarovsk price table as python3-dbf writes it (dBase III,
// code page 866 marked), right or with one thing wrong, and what validate
// makes of it.
struct PeerPriceTable {
  const char* what;
  const char* fields;  // python3-dbf's field list
  const char* from;    // bytes the partner's program got wrong ("": none)
  const char* to;
  const char* problem;  // "": no findings
};

void PrintTo(const PeerPriceTable& table, std::ostream* out) {
  *out << table.what;
}

class PeerPriceTableTest : public PeerWrittenTablesTest,
                           public ::testing::WithParamInterface<PeerPriceTable> {};

TEST_P(PeerPriceTableTest, ValidateCatchesWhatThePartnersProgramGotWrong) {
  if (!python_has("dbf")) GTEST_SKIP() << "python3-dbf is not installed";
  const PeerPriceTable& table = GetParam();
  peer_write(table.fields,
             "(501, 'Аспирин Кардио', 'Германия', 'Байер', 15.5, 28, (2029, 1, 15), "
             "(2026, 1, 15), '4008500121236')\n");
  std::string bytes = read_file(path_);
  if (*table.from != '\0') {
    const size_t at = bytes.find(table.from);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, std::string(table.from).size(), table.to);
    write_file(path_, bytes);
  }
  const validate::ValidationReport report = validate::testing::validate(path_);
  EXPECT_EQ(report.layout, "price-khabarovsk") << validate::testing::listed(report);
  if (*table.problem == '\0') {
    EXPECT_EQ(validate::testing::defects(report), 0u) << validate::testing::listed(report);
  } else {
    EXPECT_NE(validate::testing::finding_at(report, std::nullopt, table.problem), nullptr)
        << "no \"" << table.problem << "\":\n"
        << validate::testing::listed(report);
  }
}

constexpr const char* kKhabarovskFields =
    "COD N(8,0); NAIM C(96); STRANA C(17); PROD C(47); CENA N(9,2); OST N(8,0); SG D; "
    "PRIHOD D; BARCODE C(13)";

INSTANTIATE_TEST_SUITE_P(
    Khabarovsk, PeerPriceTableTest,
    ::testing::Values(PeerPriceTable{"right", kKhabarovskFields, "", "", ""},
                      PeerPriceTable{"country_too_wide",
                                     "COD N(8,0); NAIM C(96); STRANA C(20); PROD C(47); "
                                     "CENA N(9,2); OST N(8,0); SG D; PRIHOD D; BARCODE C(13)",
                                     "", "", "the field is C(20)"},
                      // A program that formats numbers by the Russian locale.
                      PeerPriceTable{"decimal_comma", kKhabarovskFields, "15.50", "15,50",
                                     "has a decimal comma"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(PeerWrittenTablesTest, ImportsAnOrderWithMemosAndCyrillicTextFromThePeer) {
  if (!python_has("dbf")) GTEST_SKIP() << "python3-dbf is not installed";
  peer_write("SUPPL_ID N(11,0); ART_ID N(11,0); ART_NAME C(80); QTY N(11,0); NOTE M",
             "(7, 50299, 'Нурофен таб. №12', 3, 'Срочно: до пятницы, склад \"Север\"')\n"
             "(3, 61023, 'Бинт стерильный', 5, '" +
                 std::string(600, 'n') +
                 "')\n"
                 "(7, 70114, 'Лоратадин', 2, '')\n");
  auto lines = memhost::read_csv(read_file(example_path("current_order_lines.csv")), "lines.csv");
  host::RunContext run = context();
  run.set_datasets(memhost::read_csv(read_file(example_path("order_prices.csv")), "prices.csv"),
                   memhost::MemoryDataSet::create({}), lines);
  importing::dbf4_order_reader(run, path_);
  // Supplier 7's Нурофен is raised by 3; the other two are new lines.
  EXPECT_EQ(memhost::write_csv(lines.get()),
            "RecId:integer,suppliers_id:integer,art_id:integer,art_name:string(80),"
            "maker:string(40),price:float,qty:integer\n"
            "1,3,50211,Аспирин Кардио таб. 100мг №28,Байер,156.4,2\n"
            "2,7,50299,Нурофен таб. №12,Рекитт Бенкизер,187.3,4\n"
            ",3,61023,Бинт стерильный 7м х 14см,Эвтекс,312.75,5\n"
            ",7,70114,Лоратадин таб. 10мг №10,Озон,64.5,2\n");
}

}  // namespace
}  // namespace pharmex::reliability
