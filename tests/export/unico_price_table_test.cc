// The Unico price table: 22 fixed fields at fixed record offsets, twelve of
// them always null, and the partner's own conversion of the pack size.
#include "export/unico_price_table.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "exported_table.h"
#include "price_fixture.h"

namespace pharmex::exporting {
namespace {

using host::testing::host_events;
using pharmex::testing::ExportedTable;
using pharmex::testing::kAspirin;
using pharmex::testing::pad_right;
using Outcome = platform::DialogAnswer::Outcome;

constexpr int kUnico = 2;

class UnicoPriceTest : public pharmex::testing::PriceExportFixture {
 protected:
  platform::DialogAnswer save() { return save_as("unico", kUnico); }
  ExportedTable table() { return ExportedTable(root() + "/unico.dbf"); }
};

TEST_F(UnicoPriceTest, WritesTheFixedLayout) {
  load(kAspirin);
  auto answer = save();
  ASSERT_EQ(answer.outcome, Outcome::kClosed) << answer.message;
  ExportedTable unico = table();
  EXPECT_EQ(unico.fields(),
            (std::vector<std::string>{
                "CODEPST C 12/0", "NAME C 80/0",  "CNTR C 15/0",  "FIRM C 40/0",  "QNTPACK N 8/0",
                "EAN13 C 13/0",   "NDS N 9/2",    "GDATE D 8/0",  "QNT N 14/2",   "NSP N 9/2",
                "GNVLS N 1/0",    "PRICE1 N 9/2", "PRICE2 N 9/2", "PRICE3 N 9/2", "PRICE4 N 9/2",
                "PRICE5 N 9/2",   "PRICE6 N 9/2", "PRICE7 N 9/2", "PRICE8 N 9/2", "PRICE9 N 9/2",
                "PRICE10 N 9/2",  "NEWFLG N 1/0"}));
  EXPECT_EQ(unico.record_length(), 301u);
  ASSERT_EQ(unico.record_count(), 1u);
  std::string record = unico.record(0);
  ASSERT_EQ(record.size(), 301u);
  EXPECT_EQ(record.substr(0, 13), " 50211       ");  // the article code as text
  EXPECT_EQ(record.substr(148, 8), "      28");
  EXPECT_EQ(record.substr(156, 13), "4008500121236");
  EXPECT_EQ(record.substr(169, 9), "    10.00");
  EXPECT_EQ(record.substr(178, 8), "20290115");
  EXPECT_EQ(record.substr(186, 14), "        120.00");
  EXPECT_EQ(record.substr(200, 9), "     0.00");  // NSP
  EXPECT_EQ(record.substr(209, 1), "0");          // GNVLS
  EXPECT_EQ(record.substr(210, 9), "   156.40");
  std::string nine_zero_prices;
  for (int i = 2; i <= 10; ++i)
    nine_zero_prices += "     0.00";
  EXPECT_EQ(record.substr(219, 81), nine_zero_prices);
  EXPECT_EQ(record.substr(300, 1), "0");  // NEWFLG
  EXPECT_EQ(unico.raw(0, "NAME"), pad_right("Аспирин Кардио таб. 100мг №28", 80));
  EXPECT_EQ(unico.raw(0, "CNTR"), pad_right("Германия", 15));
  EXPECT_EQ(unico.raw(0, "FIRM"), pad_right("Байер", 40));
  EXPECT_EQ(remembered(), root());
}

TEST_F(UnicoPriceTest, NullsStoreBlanksAndZeroes) {
  load("1,61023," + std::string(90, 'n') + ",,,6,,,,,,,,,\n");
  ASSERT_EQ(save().outcome, Outcome::kClosed);
  ExportedTable unico = table();
  EXPECT_EQ(unico.raw(0, "NAME"), std::string(80, 'n'));
  EXPECT_EQ(unico.raw(0, "CNTR"), std::string(15, ' '));
  EXPECT_EQ(unico.raw(0, "GDATE"), std::string(8, ' '));
  EXPECT_EQ(unico.raw(0, "QNT"), "          0.00");
  EXPECT_EQ(unico.raw(0, "PRICE1"), "     0.00");
  EXPECT_EQ(unico.raw(0, "EAN13"), std::string(13, ' '));
}

TEST_F(UnicoPriceTest, PackSizesRoundHalvesToEven) {
  load("1,1,a,,,12.5,,,1,10,,,,,\n1,2,b,,,13.5,,,1,10,,,,,\n1,3,c,,,7.49,,,1,10,,,,,\n");
  ASSERT_EQ(save().outcome, Outcome::kClosed);
  EXPECT_EQ(table().column("QNTPACK"), (std::vector<std::string>{"12", "14", "7"}));
}

TEST_F(UnicoPriceTest, ANullPackSizeStopsTheExportKeepingYesterdaysFile) {
  load("1,1,a,,,2,,,1,10,,,,,\n1,2,b,,,3,,,1,10,,,,,\n1,3,c,,,,,,1,10,,,,,\n");
  pharmex::testing::write_file(root() + "/unico.dbf", "yesterday's price list");
  auto answer = save();
  ASSERT_EQ(answer.outcome, Outcome::kFailed);
  EXPECT_EQ(answer.message, "Could not convert variant of type (Null) into type (Int64)");
  EXPECT_EQ(pharmex::testing::read_file(root() + "/unico.dbf"), "yesterday's price list");
  EXPECT_EQ(pharmex::testing::folder_entries(root()), std::vector<std::string>{"unico.dbf"});
  EXPECT_EQ(remembered(), root());
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "progress 4660 33",
                                                     "progress 4660 66", "finish 4660"}));
  EXPECT_TRUE(platform::dismiss_dialog(toolkit()));
}

struct PackSizeCase {
  const char* label;
  Variant box;
  int64_t expected;
};

class UnicoPackSizeTest : public ::testing::TestWithParam<PackSizeCase> {};

TEST_P(UnicoPackSizeTest, Converts) {
  // Text is read with the settings' decimal separator, a comma in the Russian ones.
  EXPECT_EQ(unico_pack_size(GetParam().box, RegionalSettings{}), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, UnicoPackSizeTest,
    ::testing::Values(PackSizeCase{"Unassigned", Variant(), 0},
                      PackSizeCase{"Whole", Variant::integer(28), 28},
                      PackSizeCase{"Large", Variant::int64(int64_t{1} << 40), int64_t{1} << 40},
                      PackSizeCase{"HalfDown", Variant::real(12.5), 12},
                      PackSizeCase{"HalfUp", Variant::real(13.5), 14},
                      PackSizeCase{"NegativeHalf", Variant::real(-2.5), -2},
                      PackSizeCase{"Fraction", Variant::real(9.51), 10},
                      PackSizeCase{"Currency", Variant::currency_units(105000), 10},
                      PackSizeCase{"Text", Variant::ascii("24"), 24},
                      PackSizeCase{"FractionalText", Variant::ascii("6,5"), 6}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(UnicoPackSizeFailureTest, NullAndNonNumbersFail) {
  EXPECT_THROW_MSG(unico_pack_size(Variant::null(), RegionalSettings{}), VariantError,
                   "Could not convert variant of type (Null) into type (Int64)");
  EXPECT_THROW_MSG(unico_pack_size(Variant::ascii("box"), RegionalSettings{}), VariantError,
                   "Could not convert variant of type (String) into type (Int64)");
}

}  // namespace
}  // namespace pharmex::exporting
