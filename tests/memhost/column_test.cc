#include "memhost/column.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "testing/test_support.h"

namespace pharmex::memhost {
namespace {

using Kind = Variant::Kind;

const RegionalSettings kComma{',', "dd.MM.yyyy", "H:mm:ss"};

struct ConversionCase {
  const char* name;
  Variant value;
  TFieldType type;
  Variant expected;  // compared by kind and value
};

void PrintTo(const ConversionCase& c, std::ostream* out) {
  *out << c.name;
}

class ConvertForColumnTest : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(ConvertForColumnTest, GivesTheColumnKind) {
  const ConversionCase& c = GetParam();
  Variant result = convert_for_column(c.value, c.type, kComma);
  EXPECT_EQ(result.kind(), c.expected.kind());
  EXPECT_EQ(compare(result, c.expected, kComma), Ordering::Equal)
      << Variant::kind_name(result.kind());
}

INSTANTIATE_TEST_SUITE_P(
    Values, ConvertForColumnTest,
    ::testing::Values(
        ConversionCase{"EmptyBecomesNull", Variant(), ftInteger, Variant::null()},
        ConversionCase{"NullStaysNull", Variant::null(), ftString, Variant::null()},
        ConversionCase{"TextToInteger", Variant::ascii("1001"), ftInteger, Variant::integer(1001)},
        ConversionCase{"HalfRoundsToEven", Variant::real(2.5), ftAutoInc, Variant::integer(2)},
        ConversionCase{"TextToSmallInt", Variant::ascii("-32768"), ftSmallint,
                       Variant::small_int(-32768)},
        ConversionCase{"IntegerToLargeint", Variant::integer(7), ftLargeint, Variant::int64(7)},
        ConversionCase{"WordTop", Variant::int64(65535), ftWord, Variant::integer(65535)},
        ConversionCase{"CommaTextToFloat", Variant::ascii("12,5"), ftFloat, Variant::real(12.5)},
        ConversionCase{"CurrencyFromDoubleRoundsToUnits", Variant::real(1.23456), ftCurrency,
                       Variant::currency_units(12346)},
        ConversionCase{"CurrencyFromWholeIsExact", Variant::int64(900719925474099), ftCurrency,
                       Variant::currency_units(9007199254740990000)},
        ConversionCase{"IntegerToText", Variant::integer(1001), ftString, Variant::ascii("1001")},
        ConversionCase{"DoubleToMemoUsesTheSettings", Variant::real(1.5), ftMemo,
                       Variant::ascii("1,5")},
        ConversionCase{"TextToBoolean", Variant::ascii("TRUE"), ftBoolean, Variant::boolean(true)},
        ConversionCase{"NumberToBoolean", Variant::integer(0), ftBoolean, Variant::boolean(false)},
        ConversionCase{"TextToDate", Variant::ascii("01.02.2024"), ftDate, Variant::date(45323)},
        ConversionCase{"UntypedColumnKeepsTheValue", Variant::ascii("x"), ftVariant,
                       Variant::ascii("x")}),
    [](const auto& info) { return info.param.name; });

struct RefusalCase {
  const char* name;
  Variant value;
  TFieldType type;
  const char* message;
};

void PrintTo(const RefusalCase& c, std::ostream* out) {
  *out << c.name;
}

class ConvertForColumnRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(ConvertForColumnRefusalTest, NamesTheColumnKind) {
  const RefusalCase& c = GetParam();
  EXPECT_THROW_MSG(convert_for_column(c.value, c.type, kComma), VariantError, c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ConvertForColumnRefusalTest,
    ::testing::Values(
        RefusalCase{"TextToInteger", Variant::ascii("A-17"), ftInteger,
                    "Could not convert variant of type (String) into type (Integer)"},
        RefusalCase{"SmallIntOverflow", Variant::integer(40000), ftSmallint,
                    "Overflow while converting variant of type (Integer) into type (SmallInt)"},
        RefusalCase{"NegativeWord", Variant::integer(-1), ftWord,
                    "Overflow while converting variant of type (Integer) into type (Word)"},
        RefusalCase{"IntegerOverflow", Variant::int64(int64_t{1} << 31), ftInteger,
                    "Overflow while converting variant of type (Int64) into type (Integer)"},
        RefusalCase{"PointIsNotTheSeparator", Variant::ascii("1.5"), ftFloat,
                    "Could not convert variant of type (String) into type (Double)"},
        RefusalCase{"TextToCurrency", Variant::ascii("cheap"), ftCurrency,
                    "Could not convert variant of type (String) into type (Currency)"},
        RefusalCase{"CurrencyOverflow", Variant::real(1e30), ftCurrency,
                    "Overflow while converting variant of type (Double) into type (Currency)"},
        RefusalCase{"TextToDate", Variant::ascii("2024-02-01"), ftDateTime,
                    "Could not convert variant of type (String) into type (Date)"},
        RefusalCase{"ArrayToText", Variant::array({Variant::integer(1)}), ftString,
                    "Could not convert variant of type (Array Variant) into type (String)"}),
    [](const auto& info) { return info.param.name; });

TEST(ColumnNameTest, MatchesWithoutRegardToCase) {
  EXPECT_TRUE(same_column_name(u"suppliers_ID", u"SUPPLIERS_id"));
  EXPECT_TRUE(same_column_name(u"Цена", u"цЕНА"));
  EXPECT_TRUE(same_column_name(u"Ёмкость", u"ёМКОСТЬ"));
  EXPECT_TRUE(same_column_name(u"Ärzte", u"äRZTE"));
  EXPECT_FALSE(same_column_name(u"qty", u"qty1"));
  EXPECT_FALSE(same_column_name(u"ЦЕНА", u"CENA"));
}

TEST(ColumnKindTest, GroupsTheTypesByTheValuesTheyHold) {
  EXPECT_EQ(column_kind(ftFixedChar), Kind::String);
  EXPECT_EQ(column_kind(ftWideMemo), Kind::String);
  EXPECT_EQ(column_kind(ftWord), Kind::Integer);
  EXPECT_EQ(column_kind(ftFMTBcd), Kind::Double);
  EXPECT_EQ(column_kind(ftTime), Kind::Date);
  EXPECT_EQ(column_kind(ftUnknown), Kind::Empty);
}

}  // namespace
}  // namespace pharmex::memhost
