// The example order files under examples/, one per layout, for
// examples/order_prices.csv and examples/current_order_lines.csv:
//
//   order_dbf4.dbf        what the generic order export writes: supplier 7
//                         raises Нурофен, adds Лоратадин, and orders
//                         Парацетамол, which supplier 7 does not offer
//   order_khabarovsk.dbf  raises Аспирин, adds Парацетамол (supplier 3)
//   order_unico.dbf       adds Бинт, raises Аспирин, and orders an article
//                         nobody offers
//
// They are built here with the table engine. The test checks that the
// committed files are what this code writes (apart from the header's moment of
// last update); to write them anew after a change:
//
//   PHARMEX_WRITE_EXAMPLES=1 build/tests/pharmex_tests --gtest_filter='ExampleOrders*'
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/date_time.h"
#include "import/import_fixture.h"
#include "testing/test_support.h"

namespace pharmex::importing {
namespace {

using testing::Record;

struct ExampleOrder {
  const char* file;
  std::vector<std::string> fields;
  std::vector<Record> records;
};

Variant text(std::u16string value) {
  return Variant::string(std::move(value));
}

Variant date(int year, int month, int day) {
  return Variant::date(*encode_date(year, month, day));
}

// Order A-17 of 2 March 2026 as the generic order export writes it.
Record dbf4_line(int supplier, int article, std::u16string name, std::u16string maker, int box,
                 int qty, double price) {
  return {Variant::integer(17),      text(u"A-17"),
          date(2026, 3, 2),          Variant::integer(supplier),
          Variant::integer(article), text(std::move(name)),
          text(std::move(maker)),    Variant::integer(box),
          date(2026, 1, 15),         date(2029, 1, 15),
          Variant::integer(qty),     Variant::real(price),
          Variant::integer(10)};
}

std::vector<ExampleOrder> example_orders() {
  return {
      {"order_dbf4.dbf",
       {"ID;N;11;0", "NATIVE_ID;C;20;0", "DATE;D;0;0", "SUPPL_ID;N;11;0", "ART_ID;N;11;0",
        "ART_NAME;C;80;0", "MAKER;C;40;0", "BOX;N;11;0", "DT_W_FIRST;D;0;0", "DT_W_LAST;D;0;0",
        "QTY;N;11;0", "PRICE;F;20;2", "NDS;N;11;0"},
       {dbf4_line(7, 50299, u"Нурофен таб. №12", u"Рекитт Бенкизер", 12, 2, 187.3),
        dbf4_line(7, 70114, u"Лоратадин таб. 10мг №10", u"Озон", 10, 4, 64.5),
        dbf4_line(7, 50877, u"Парацетамол таб. 500мг №10", u"Фармстандарт", 10, 1, 48.9)}},
      {"order_khabarovsk.dbf",
       {"COD;N;8;0", "NAIM;C;96;0", "PROD;C;47;0", "CENA;N;9;2", "QTY;N;8;0"},
       {{Variant::integer(50211), text(u"Аспирин Кардио таб. 100мг №28"), text(u"Байер"),
         Variant::real(156.4), Variant::integer(3)},
        {Variant::integer(50877), text(u"Парацетамол таб. 500мг №10"), text(u"Фармстандарт"),
         Variant::real(48.9), Variant::integer(10)}}},
      {"order_unico.dbf",
       {"CODEPST;C;12;0", "NAME;C;80;0", "FIRM;C;40;0", "PRICE1;N;9;2", "QNT;N;14;2"},
       {{text(u"61023"), text(u"Бинт стерильный 7м х 14см"), text(u"Эвтекс"), Variant::real(312.75),
         Variant::real(5)},
        {text(u"50211"), text(u"Аспирин Кардио таб. 100мг №28"), text(u"Байер"),
         Variant::real(156.4), Variant::real(1)},
        {text(u"99999"), text(u"Пластырь бактерицидный"), text(u"Верофарм"), Variant::real(25),
         Variant::real(2)}}},
  };
}

std::string example_path(const char* file) {
  return std::string(PHARMEX_SOURCE_DIR) + "/examples/" + file;
}

// A table's bytes without the moment of its last update (the date in header
// bytes 1 to 3, the time of day in bytes 16 to 19).
std::string without_update_time(std::string bytes) {
  if (bytes.size() >= 20) {
    bytes.replace(1, 3, 3, '\0');
    bytes.replace(16, 4, 4, '\0');
  }
  return bytes;
}

TEST(ExampleOrders, TheCommittedFilesAreWhatTheGeneratorWrites) {
  const char* write = std::getenv("PHARMEX_WRITE_EXAMPLES");
  pharmex::testing::TempDir dir;
  for (const ExampleOrder& order : example_orders()) {
    SCOPED_TRACE(order.file);
    if (write != nullptr && *write != '\0') {
      testing::write_order_file(example_path(order.file), order.fields, order.records);
    }
    testing::write_order_file(dir.file(order.file), order.fields, order.records);
    std::string committed = pharmex::testing::read_file(example_path(order.file));
    ASSERT_FALSE(committed.empty()) << "missing: run with PHARMEX_WRITE_EXAMPLES=1";
    EXPECT_EQ(without_update_time(committed),
              without_update_time(pharmex::testing::read_file(dir.file(order.file))));
  }
}

}  // namespace
}  // namespace pharmex::importing
