// Writes the seed corpora of the fuzz targets (fuzz/corpus/<target>/): files
// the library itself writes (tables of every flavour, memo files, the waybill
// tables, the example orders), peer files from the tests, and hand-made
// damaged ones. scripts/fuzz.sh --seeds runs it; the seeds are kept in the
// repository, so this is needed only when they should change.
//
// Usage: pharmex_fuzz_seeds SOURCE_DIR CORPUS_DIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "core/error.h"
#include "dbf/create_dbf_dataset.h"
#include "dbf/dbf_dataset.h"
#include "export/waybill_export.h"
#include "fuzz_support.h"
#include "host/run_context.h"
#include "memhost/csv_reader.h"
#include "memory_file_system.h"
#include "platform/memory_settings_store.h"
#include "platform/settings_store.h"
#include "platform/text_codec.h"

namespace pharmex::fuzzing {
namespace {

namespace fs = std::filesystem;

std::string source_dir, corpus_dir;

std::string read(const std::string& relative) {
  std::ifstream in(source_dir + "/" + relative, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + relative);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void seed(const std::string& target, const std::string& name, const std::string& bytes) {
  const fs::path folder = fs::path(corpus_dir) / target;
  fs::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary) << bytes;
}

Variant utf8(const std::string& text) {
  return Variant::string(platform::utf8_to_utf16(text));
}

struct Table {
  std::string table, memo;
};

// A table of the flavour with every field kind and three records (the second
// deleted), made by the engine in memory.
Table make_table(dbf::TDbfTypes type, bool with_memo) {
  MemoryFileSystem files;
  {
    dbf::TDbfDataSet table(options_on(files));
    table.SetTableName("/s/T.DBF");
    table.SetLargeIntegerAs(dbf::TIntFields::asLargeInt);
    dbf::TCreateDbfDataSet creator(options_on(files));
    creator.SetDBFTable(&table);
    creator.SetDBFType(type);
    creator.SetAutoOverwrite(true);
    std::vector<std::string> fields = {"NAME;C;20;0", "QTY;N;8;2", "BIG;N;15;0",
                                       "RATE;F;10;3", "DAY;D;0;0", "OK;L;0;0"};
    if (with_memo) fields.push_back("NOTE;M;0;0");
    creator.SetCreateFields(fields);
    creator.CreateTable();
    const char* names[] = {"Аспирин", "Йод 5%", "Бинт"};
    for (int r = 0; r < 3; ++r) {
      table.Append();
      table.FieldByName("NAME").SetValue(utf8(names[r]));
      table.FieldByName("QTY").SetValue(Variant::real(r * 12.5 - 3));
      table.FieldByName("BIG").SetValue(Variant::int64(1234567890123LL * r));
      table.FieldByName("RATE").SetValue(Variant::real(0.125 * r));
      table.FieldByName("DAY").SetValue(Variant::date(45000 + r));
      table.FieldByName("OK").SetValue(Variant::boolean(r != 1));
      if (with_memo) table.FieldByName("NOTE").SetValue(utf8(std::string(200 + 300 * r, 'm')));
      table.Post();
    }
    table.First();
    table.Next();
    table.DBFObject()->DeleteRecord();
  }
  return {files.bytes("/s/T.DBF"),
          files.bytes(type == dbf::TDbfTypes::FoxPro2 ? "/s/T.FPT" : "/s/T.DBT")};
}

std::string with_byte(std::string bytes, size_t at, char value) {
  if (at < bytes.size()) bytes[at] = value;
  return bytes;
}

void table_seeds() {
  const struct {
    const char* name;
    dbf::TDbfTypes type;
  } flavours[] = {{"dbase3", dbf::TDbfTypes::DBaseIII},
                  {"dbase4", dbf::TDbfTypes::DBaseIV},
                  {"foxpro2", dbf::TDbfTypes::FoxPro2}};
  for (const auto& flavour : flavours) {
    const Table with = make_table(flavour.type, true);
    seed("table", std::string(flavour.name) + "_memo",
         with.table + std::string(kMemoMarker) + with.memo);
    const Table plain = make_table(flavour.type, false);
    seed("table", std::string(flavour.name) + "_plain", plain.table);
  }
  const std::string plain = make_table(dbf::TDbfTypes::DBaseIV, false).table;
  seed("table", "version_04", with_byte(plain, 0, 0x04));
  seed("table", "visual_foxpro", read("tests/dbf/data/peer_vfp.dbf"));
  seed("table", "peer_dbase3", read("tests/dbf/data/peer_db3.dbf"));
  seed("table", "peer_dbase3_memo",
       read("tests/dbf/data/peer_db3_memo.dbf") + std::string(kMemoMarker) +
           read("tests/dbf/data/peer_db3_memo.dbt"));
  // Damage to each header field.
  seed("table", "bad_version", with_byte(plain, 0, 0x02));
  seed("table", "encrypted", with_byte(plain, 15, 1));
  seed("table", "header_length_0", with_byte(with_byte(plain, 8, 0), 9, 0));
  seed("table", "header_length_huge", with_byte(with_byte(plain, 8, '\xff'), 9, '\xff'));
  seed("table", "record_length_0", with_byte(with_byte(plain, 10, 0), 11, 0));
  seed("table", "record_length_1", with_byte(with_byte(plain, 10, 1), 11, 0));
  seed("table", "count_stale", with_byte(plain, 4, 9));
  seed("table", "c_field_65535", with_byte(with_byte(plain, 32 + 16, '\xff'), 32 + 17, '\xff'));
  seed("table", "truncated_header", plain.substr(0, 20));
  seed("table", "truncated_fields", plain.substr(0, 100));
  seed("table", "truncated_record", plain.substr(0, plain.size() - 7));
  seed("table", "empty", "");
  const Table memo = make_table(dbf::TDbfTypes::DBaseIV, true);
  std::string bad_block = memo.table;
  const size_t header = static_cast<uint8_t>(bad_block[8]) | static_cast<uint8_t>(bad_block[9])
                                                                 << 8;
  const size_t record = static_cast<uint8_t>(bad_block[10]) | static_cast<uint8_t>(bad_block[11])
                                                                  << 8;
  bad_block.replace(header + record - 10, 10, "9999999999");
  seed("table", "memo_block_beyond", bad_block + std::string(kMemoMarker) + memo.memo);
  seed("table", "memo_missing", memo.table);
}

std::string le16(unsigned value) {
  return {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8)};
}

void memo_seeds() {
  const dbf::TDbfTypes types[] = {dbf::TDbfTypes::DBaseIII, dbf::TDbfTypes::DBaseIV,
                                  dbf::TDbfTypes::FoxPro2};
  const char* names[] = {"dbase3", "dbase4", "foxpro2"};
  for (char flavour = 0; flavour < 3; ++flavour) {
    const Table table = make_table(types[static_cast<int>(flavour)], true);
    // The memos' first blocks as the records hold them.
    const size_t header =
        static_cast<uint8_t>(table.table[8]) | static_cast<uint8_t>(table.table[9]) << 8;
    const size_t record =
        static_cast<uint8_t>(table.table[10]) | static_cast<uint8_t>(table.table[11]) << 8;
    std::string blocks;
    for (size_t r = 0; r < 4; ++r) {
      const size_t at = header + std::min<size_t>(r, 2) * record + record - 10;
      blocks += le16(static_cast<unsigned>(std::stoul(table.table.substr(at, 10))));
    }
    const std::string prefix = std::string(1, flavour) + blocks;
    const std::string name = names[static_cast<int>(flavour)];
    seed("memo", name, prefix + table.memo);
    seed("memo", name + "_new",
         prefix + table.memo.substr(0, std::min<size_t>(table.memo.size(), 24)));
    seed("memo", name + "_truncated", prefix + table.memo.substr(0, table.memo.size() / 2));
    seed("memo", name + "_block_0", std::string(1, flavour) + std::string(8, '\0') + table.memo);
  }
  // dBase IV memo files with a damaged free chain: a run pointing at itself,
  // a run longer than the file, a block size of 0.
  std::string memo = make_table(dbf::TDbfTypes::DBaseIV, true).memo;
  std::string loop = memo;
  loop.replace(0, 4, std::string("\x01\x00\x00\x00", 4));
  loop.replace(512, 8, std::string("\x01\x00\x00\x00\x05\x00\x00\x00", 8));
  seed("memo", "dbase4_chain_loop",
       std::string(1, 1) + le16(2) + le16(3) + le16(1) + le16(9) + loop);
  std::string zero_size = memo;
  zero_size.replace(20, 4, std::string(4, '\0'));
  seed("memo", "dbase4_block_size_0",
       std::string(1, 1) + le16(1) + le16(2) + le16(3) + le16(4) + zero_size);
}

void field_spec_seeds() {
  seed("field_spec", "typical", std::string(1, 2) + "NAME;C;80;0\nQNT;N;14;2\nGDATE;D;0;0");
  seed("field_spec", "memo", std::string(1, 2) + "ID;N;11;0\nNOTE;M;0;0\nPIC;B;0;0\nOLE;G;0;0");
  seed("field_spec", "wide", std::string(1, 0) + "X;C;300;0\nY;N;20;18\nO;0;0;0\nBIG;N;255;0");
  seed("field_spec", "foxpro", std::string(1, 3) + "name;c;10;0\nf;F;12;4;\nL;L;1;0  ");
  seed("field_spec", "names",
       std::string(1, 2) + "LONGFIELDNAME1;C;5;0\nLONGFIELDNAME2;C;5;0\n\xc8\xcc\xdf;C;5;0");
  seed("field_spec", "invalid", std::string(1, 2) + "QNT;N;14\nQNT;NN;14;2\n;C;1;0\nA;C; 7x;0");
  seed("field_spec", "djinal",
       std::string(1, 2) +
           "NDOC;C;20;0\nDATEDOC;D;0;0\nCODEPST;C;12;0\nEAN13;C;13;0\n"
           "PRICE1;N;9;2\nQNT;N;9;2\nDateMade;D;0;0\nNAME;C;80;0\n"
           "QNTPACK;N;8;0\nGNVLS;N;1;0\nDESCR;C;100;0");
}

void csv_seeds() {
  for (const char* name :
       {"waybill_headers.csv", "waybill_lines.csv", "order_lines.csv", "order_prices.csv"}) {
    seed("csv", name, read(std::string("examples/") + name));
  }
  seed("csv", "quoted",
       "id:integer,name:string(20),when:date,ok:boolean,sum:currency\n"
       "1,\"a, \"\"b\"\"\r\nc\",2024-02-29,true,12.3456\r\n2,\"\",,false,\n3,x,1899-12-30,,-0.5");
  seed("csv", "bad", "id:integer,id:string(5)\n1,\"x\n12x,,\n");
  seed("csv", "bom", "\xEF\xBB\xBFn:float\n1e308\n-0\n.5\n");
}

void order_seeds() {
  const char* names[] = {"order_dbf4.dbf", "order_khabarovsk.dbf", "order_unico.dbf"};
  for (char layout = 0; layout < 3; ++layout) {
    const std::string file = read(std::string("examples/") + names[static_cast<int>(layout)]);
    seed("order_import", names[static_cast<int>(layout)], std::string(1, layout) + file);
    seed("order_import", std::string("deleted_") + names[static_cast<int>(layout)],
         std::string(1, layout) + with_byte(file, file.find('\r') + 1, '*'));
  }
  seed("order_import", "missing_fields",
       std::string(1, 0) + make_table(dbf::TDbfTypes::DBaseIV, false).table);
}

// The waybill tables the library writes for the example waybill.
void waybill_seeds() {
  auto registry = std::make_shared<platform::MemorySettingsStore>();
  registry->create_key(platform::kHostSettingsKey);
  Service<platform::SettingsStore>::Scoped registry_scope(registry);
  MemoryFileSystem files;
  const struct {
    const char* name;
    host::Routine routine;
  } layouts[] = {{"djinal", exporting::djinal_routine}, {"apteka_m", exporting::apteka_m_routine}};
  for (const auto& layout : layouts) {
    host::RunContext context;
    context.set_file_system(Service<platform::FileSystem>::borrow(files));
    context.set_datasets(nullptr,
                         memhost::read_csv(read("examples/waybill_headers.csv"), "headers.csv"),
                         memhost::read_csv(read("examples/waybill_lines.csv"), "lines.csv"));
    layout.routine(context, "/s/W.DBF");
    seed("table", std::string("waybill_") + layout.name, files.bytes("/s/W.DBF"));
  }
}

}  // namespace
}  // namespace pharmex::fuzzing

int main(int argc, char** argv) {
  using namespace pharmex::fuzzing;
  if (argc != 3) {
    std::cerr << "usage: pharmex_fuzz_seeds SOURCE_DIR CORPUS_DIR\n";
    return 2;
  }
  source_dir = argv[1];
  corpus_dir = argv[2];
  try {
    table_seeds();
    waybill_seeds();
    memo_seeds();
    field_spec_seeds();
    csv_seeds();
    order_seeds();
  } catch (const std::exception& e) {
    std::cerr << "pharmex_fuzz_seeds: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
