// The Khabarovsk price table: nine fixed fields at fixed record offsets,
// whatever columns the host has.
#include "export/khabarovsk_price_table.h"

#include <gtest/gtest.h>

#include "exported_table.h"
#include "price_fixture.h"

namespace pharmex::exporting {
namespace {

using host::testing::host_events;
using pharmex::testing::ExportedTable;
using pharmex::testing::kAspirin;
using pharmex::testing::kBandage;
using pharmex::testing::pad_right;
using Outcome = platform::DialogAnswer::Outcome;

constexpr int kKhabarovsk = 1;

class KhabarovskPriceTest : public pharmex::testing::PriceExportFixture {
 protected:
  ExportedTable export_table() {
    auto answer = save_as("kh", kKhabarovsk);
    EXPECT_EQ(answer.outcome, Outcome::kClosed) << answer.message;
    return ExportedTable(root() + "/kh.dbf");
  }

  // A record's bytes as UTF-8 (the table holds OEM text).
  static std::string utf8(const std::string& oem) {
    const platform::TextCodec& codec = platform::text_codec();
    return codec.ansi_to_utf8(codec.oem_to_ansi(oem));
  }
};

TEST_F(KhabarovskPriceTest, WritesTheFixedLayout) {
  load(std::string(kAspirin) + kBandage);
  ExportedTable table = export_table();
  EXPECT_EQ(table.fields(),
            (std::vector<std::string>{"COD N 8/0", "NAIM C 96/0", "STRANA C 17/0", "PROD C 47/0",
                                      "CENA N 9/2", "OST N 8/0", "SG D 8/0", "PRIHOD D 8/0",
                                      "BARCODE C 13/0"}));
  EXPECT_EQ(table.record_length(), 215u);
  ASSERT_EQ(table.record_count(), 2u);
  std::string record = table.record(0);
  ASSERT_EQ(record.size(), 215u);
  EXPECT_EQ(record.substr(0, 9), "    50211");
  EXPECT_EQ(record.substr(169, 9), "   156.40");
  EXPECT_EQ(record.substr(178, 8), "      28");  // OST is the pack size
  EXPECT_EQ(record.substr(186, 8), "20290115");
  EXPECT_EQ(record.substr(194, 8), "20260115");
  EXPECT_EQ(record.substr(202, 13), "4008500121236");
  EXPECT_EQ(utf8(record.substr(9, 96)), pad_right("Аспирин Кардио таб. 100мг №28", 96));
  EXPECT_EQ(utf8(record.substr(105, 17)), pad_right("Германия", 17));
  EXPECT_EQ(utf8(record.substr(122, 47)), pad_right("Байер", 47));
}

TEST_F(KhabarovskPriceTest, NullsStoreTheirFieldsNullForms) {
  load(kBandage);
  std::string record = utf8(export_table().record(0));
  EXPECT_EQ(record, " " + std::string("   61023") + pad_right("Бинт стерильный 7м х 14см", 96) +
                        std::string(17, ' ') + pad_right("Эвтекс", 47) + "     0.00" + "       1" +
                        "20300601" + std::string(8, ' ') + std::string(13, ' '));
}

TEST_F(KhabarovskPriceTest, LongTextsAreCutToTheirFields) {
  std::string name(100, 'N');
  load("1,2," + name + ",M,Боливарианская Республика,1,,,1,10,,,,,\n");
  ExportedTable table = export_table();
  EXPECT_EQ(table.text(0, "NAIM"), std::string(96, 'N'));
  EXPECT_EQ(table.text(0, "STRANA"), "Боливарианская Ре");
}

TEST_F(KhabarovskPriceTest, AnEmptyListGivesTheFieldsAndNoRecords) {
  load("");
  ExportedTable table = export_table();
  EXPECT_EQ(table.fields().size(), 9u);
  EXPECT_EQ(table.record_count(), 0u);
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 100", "finish 4660"}));
}

TEST_F(KhabarovskPriceTest, AColumnTheHostLacksStopsTheExportNamingIt) {
  load("1,Йод,Россия,0.5,10\n",
       "art_id:integer,art_name:string(40),maker:string(20),"
       "price:float,box:float\n");
  auto answer = save_as("kh", kKhabarovsk);
  ASSERT_EQ(answer.outcome, Outcome::kFailed);
  EXPECT_EQ(answer.message, "The host data have no column 'dateworklast'");
  EXPECT_EQ(pharmex::testing::folder_entries(root()), std::vector<std::string>{})
      << "no table is left, nor half of one";
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
  EXPECT_EQ(remembered(), "");
  EXPECT_TRUE(platform::dismiss_dialog(toolkit()));
}

}  // namespace
}  // namespace pharmex::exporting
