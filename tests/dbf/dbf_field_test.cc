// Field objects: every kind's conversion of assigned Variants into record
// text, and of record text back into Variants.
#include "dbf/dbf_field.h"

#include <cmath>
#include <limits>
#include <string>

#include "core/date_time.h"
#include "core/error.h"
#include "core/regional_settings.h"
#include "dbf/dbf_dataset.h"
#include "dbf/dbf_test_util.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace pharmex::dbf {
namespace {

using pharmex::testing::same_value;
using pharmex::testing::TempDir;
using pharmex::testing::write_file;
using testing::MakeTable;
using testing::TableSpec;

Variant Utf8(std::string_view text) {
  return Variant::string(platform::utf8_to_utf16(text));
}

Variant Date(int year, int month, int day) {
  return Variant::date(*encode_date(year, month, day));
}

// S C(10), SI N(4,0), I N(6,0), L N(12,0), F N(8,2), D D, B L.
TableSpec AllKinds() {
  TableSpec spec;
  spec.fields = {{"S", 'C', 10, 0}, {"SI", 'N', 4, 0}, {"I", 'N', 6, 0}, {"L", 'N', 12, 0},
                 {"F", 'N', 8, 2},  {"D", 'D', 8, 0},  {"B", 'L', 1, 0}};
  spec.records = {std::string(49, ' ')};
  return spec;
}

class FieldTest : public ::testing::Test {
 protected:
  FieldTest() {
    write_file(dir_.file("T.DBF"), MakeTable(AllKinds()));
    data_.SetTableName(dir_.file("T.DBF"));
    data_.SetLargeIntegerAs(TIntFields::asLargeInt);
    data_.Open();
  }

  std::string Stored(const char* name) {
    TDbfField& field = data_.FieldByName(name);
    return std::string(data_.DBFObject()->GetFieldText(field.Index()));
  }
  void Store(const char* name, std::string_view text) {
    data_.DBFObject()->PutFieldText(data_.FieldByName(name).Index(), text);
  }

  // The dataset converts with the settings it was given, never with the
  // process's, which every case here would read otherwise.
  static EngineOptions CommaOptions() {
    EngineOptions options = EngineOptions::process_defaults();
    options.settings = RegionalSettings{',', "dd.MM.yyyy", "H:mm:ss"};
    return options;
  }

  TempDir dir_;
  Service<const RegionalSettings>::Scoped process_settings_{
      RegionalSettings{'.', "M/d/yyyy", "h:mm:ss"}};
  TDbfDataSet data_{CommaOptions()};
};

struct AssignCase {
  const char* label;
  const char* field;
  Variant value;
  const char* stored;   // the field's bytes afterwards (when no message)
  const char* message;  // the failure, or null
};

class AssignTest : public FieldTest, public ::testing::WithParamInterface<AssignCase> {
 protected:
  // Assigns through SetValue or, for the kinds that have one, through the
  // setter that takes the value without a Variant: both must store the same.
  void Check(const AssignCase& c, void (*assign)(TDbfField&, const Variant&)) {
    const std::string before = Stored(c.field);
    TDbfField& field = data_.FieldByName(c.field);
    if (c.message) {
      try {
        assign(field, c.value);
        ADD_FAILURE() << "nothing thrown";
      } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), c.message);
      }
      EXPECT_EQ(Stored(c.field), before);  // a failed assignment changes nothing
    } else {
      assign(field, c.value);
      EXPECT_EQ(Stored(c.field), c.stored);
    }
    Store(c.field, before);
  }
};

TEST_P(AssignTest, StoresTheConvertedValueOrRefusesIt) {
  const AssignCase& c = GetParam();
  data_.Edit();
  Check(c, [](TDbfField& field, const Variant& value) { field.SetValue(value); });
  if (c.value.is_string()) {
    Check(c, [](TDbfField& field, const Variant& value) { field.SetText(value.string_value()); });
  } else if (c.value.is_null()) {
    Check(c, [](TDbfField& field, const Variant&) { field.Clear(); });
  } else if (c.value.is_whole()) {
    Check(c, [](TDbfField& field, const Variant& value) { field.SetInteger(value.whole_value()); });
  } else if (c.value.kind() == Variant::Kind::Double) {
    Check(c, [](TDbfField& field, const Variant& value) { field.SetReal(value.double_value()); });
  } else if (c.value.kind() == Variant::Kind::Date) {
    Check(c, [](TDbfField& field, const Variant& value) { field.SetDate(value.double_value()); });
  } else if (c.value.kind() == Variant::Kind::Boolean) {
    Check(c,
          [](TDbfField& field, const Variant& value) { field.SetBoolean(value.boolean_value()); });
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, AssignTest,
    ::testing::Values(
        AssignCase{"TextIsCut", "S", Variant::ascii("abcdefghijk"), "abcdefghij", nullptr},
        AssignCase{"TextNull", "S", Variant::null(), "          ", nullptr},
        AssignCase{"TextFromInteger", "S", Variant::integer(-42), "-42       ", nullptr},
        AssignCase{"TextFromDouble", "S", Variant::real(1.5), "1,5       ", nullptr},
        AssignCase{"TextFromTheLeastInt64IsCut", "S",
                   Variant::int64(std::numeric_limits<int64_t>::min()), "-922337203", nullptr},
        AssignCase{"TextFromDate", "S", Date(2024, 3, 5), "05.03.2024", nullptr},
        AssignCase{"TextFromBoolean", "S", Variant::boolean(true), "True      ", nullptr},
        AssignCase{"TextToOem", "S", Utf8("Йод"), "\x89\xAE\xA4       ", nullptr},
        AssignCase{"TextToOemIsCut", "S", Utf8("ЙйЙйЙйЙйЙйЙ"),
                   "\x89\xA9\x89\xA9\x89\xA9\x89\xA9\x89\xA9", nullptr},
        AssignCase{"TextSurrogatePairIsOneSubstitute", "S", Variant::string(u"a\U0001F600b"),
                   "a?b       ", nullptr},
        AssignCase{"TextLoneSurrogateIsSubstituted", "S",
                   Variant::string(std::u16string{u'a', char16_t{0xD800}, u'b'}), "a?b       ",
                   nullptr},
        AssignCase{"TextBestFitsForMissingCharacters", "S",
                   Variant::string(u"\u201Cx\u201D\u2014y"), "\"x\"-y     ", nullptr},
        AssignCase{"TextFromArray", "S", Variant::array({}), nullptr,
                   "Invalid value for field 'S'"},
        AssignCase{"SmallRoundsHalfToEven", "SI", Variant::real(2.5), "   2", nullptr},
        AssignCase{"SmallRoundsHalfUpToEven", "SI", Variant::real(3.5), "   4", nullptr},
        AssignCase{"SmallFromText", "SI", Variant::ascii(" 7"), "   7", nullptr},
        AssignCase{"SmallNull", "SI", Variant::null(), "   0", nullptr},
        AssignCase{"SmallNotANumber", "SI", Variant::ascii("x"), nullptr,
                   "Invalid value for field 'SI'"},
        AssignCase{"SmallOutOfRange", "SI", Variant::integer(40000), nullptr,
                   "40000 is not a valid value for field 'SI'. The allowed range is -32768 to "
                   "32767"},
        AssignCase{"SmallFarOutOfRange", "SI", Variant::real(1e30), nullptr,
                   "1E30 is not a valid value for field 'SI'. The allowed range is -32768 to "
                   "32767"},
        AssignCase{"SmallTooWideForTheField", "SI", Variant::integer(12345), nullptr,
                   "numeric value too big in field SI - 12345"},
        AssignCase{"IntegerNegative", "I", Variant::integer(-5), "    -5", nullptr},
        AssignCase{"IntegerOutOfRange", "I", Variant::int64(3000000000), nullptr,
                   "3000000000 is not a valid value for field 'I'. The allowed range is "
                   "-2147483648 to 2147483647"},
        AssignCase{"LargeExact", "L", Variant::int64(123456789012), "123456789012", nullptr},
        AssignCase{"LargeTooWideForTheField", "L", Variant::int64(-123456789012), nullptr,
                   "numeric value too big in field L - -123456789012"},
        AssignCase{"LargeFromText", "L", Variant::ascii("abc"), nullptr,
                   "Invalid value for field 'L'"},
        AssignCase{"LargeFromHugeDouble", "L", Variant::real(1e30), nullptr,
                   "Invalid value for field 'L'"},
        AssignCase{"FloatFixedPoint", "F", Variant::integer(5), "    5.00", nullptr},
        AssignCase{"FloatFromLocaleText", "F", Variant::ascii("1,25"), "    1.25", nullptr},
        AssignCase{"FloatFromForeignText", "F", Variant::ascii("1.25"), nullptr,
                   "Invalid value for field 'F'"},
        AssignCase{"FloatNull", "F", Variant::null(), "    0.00", nullptr},
        AssignCase{"FloatNegative", "F", Variant::real(-0.5), "   -0.50", nullptr},
        AssignCase{"FloatTooWideForTheField", "F", Variant::real(123456.5), nullptr,
                   "numeric value too big in field F - 123456.50"},
        AssignCase{"FloatFromDate", "F", Variant::date(45000.25), "45000.25", nullptr},
        AssignCase{"FloatNotFinite", "F", Variant::real(HUGE_VAL), nullptr,
                   "numeric value too big in field F - INF"},
        AssignCase{"DateKeepsTheDay", "D", Variant::date(*encode_date(2024, 3, 5) + 0.75),
                   "20240305", nullptr},
        AssignCase{"DateFromText", "D", Variant::ascii("5.3.2024"), "20240305", nullptr},
        AssignCase{"DateNull", "D", Variant::null(), "        ", nullptr},
        AssignCase{"DateFromInteger", "D", Variant::integer(45356), "20240305", nullptr},
        AssignCase{"DateNotADate", "D", Variant::ascii("junk"), nullptr,
                   "Invalid value for field 'D'"},
        AssignCase{"DateBeyondTheCalendar", "D", Variant::date(-700000), "        ", nullptr},
        AssignCase{"LogicalTrue", "B", Variant::boolean(true), "T", nullptr},
        AssignCase{"LogicalFalse", "B", Variant::boolean(false), "F", nullptr},
        AssignCase{"LogicalFromText", "B", Variant::ascii("false"), "F", nullptr},
        AssignCase{"FloatFromBoolean", "F", Variant::boolean(true), "   -1.00", nullptr},
        AssignCase{"DateFromBoolean", "D", Variant::boolean(false), "18991230", nullptr},
        AssignCase{"LogicalNull", "B", Variant::null(), "F", nullptr},
        AssignCase{"LogicalFromSmallInt", "B", Variant::small_int(-1), "T", nullptr},
        AssignCase{"LogicalFromArray", "B", Variant::array({}), nullptr,
                   "Invalid value for field 'B'"}),
    [](const ::testing::TestParamInfo<AssignCase>& info) { return info.param.label; });

struct ReadCase {
  const char* label;
  const char* field;
  const char* stored;
  Variant value;
};

class ReadTest : public FieldTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadTest, GivesTheValueOfTheStoredText) {
  const ReadCase& c = GetParam();
  data_.Edit();
  Store(c.field, c.stored);
  const Variant value = data_.FieldByName(c.field).Value();
  EXPECT_EQ(value.kind(), c.value.kind()) << Variant::kind_name(value.kind());
  EXPECT_TRUE(same_value(value, c.value));
  EXPECT_EQ(data_.FieldByName(c.field).IsNull(), c.value.is_null());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReadTest,
    ::testing::Values(
        ReadCase{"TextTrimmedAtTheEndOnly", "S", "  ab \x01\x02", Variant::ascii("  ab")},
        ReadCase{"TextFromOem", "S", "\x89\xAE\xA4", Utf8("Йод")},
        ReadCase{"TextBlankIsNull", "S", "", Variant::null()},
        ReadCase{"Small", "SI", "  12", Variant::small_int(12)},
        ReadCase{"SmallBlankIsZero", "SI", "", Variant::small_int(0)},
        ReadCase{"SmallFractionRoundsHalfToEven", "SI", " 2.5", Variant::small_int(2)},
        ReadCase{"Integer", "I", "-70000", Variant::integer(-70000)},
        ReadCase{"Large", "L", "999999999999", Variant::int64(999999999999)},
        ReadCase{"Float", "F", "  -12.25", Variant::real(-12.25)},
        ReadCase{"Date", "D", "20240305", Date(2024, 3, 5)},
        ReadCase{"DateNotInTheCalendar", "D", "20240230", Variant::null()},
        ReadCase{"DateZeros", "D", "00000000", Variant::null()},
        ReadCase{"DateShort", "D", "2024030", Variant::null()},
        ReadCase{"LogicalYes", "B", "Y", Variant::boolean(true)},
        ReadCase{"LogicalJa", "B", "j", Variant::boolean(true)},
        ReadCase{"LogicalUnknown", "B", "?", Variant::boolean(false)}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.label; });

TEST_F(FieldTest, TranslationCanBeSwitchedOffPerFieldOrForTheDataset) {
  data_.Edit();
  TDbfField& s = data_.FieldByName("S");
  s.SetTransliterate(false);
  s.SetValue(Utf8("Й"));  // ANSI 0xC9, not translated
  EXPECT_EQ(Stored("S")[0], '\xC9');
  s.SetTransliterate(true);
  data_.SetTranslateASCII(false);
  s.SetValue(Utf8("Йод"));  // ANSI bytes, kept as they are
  EXPECT_EQ(Stored("S"), "\xC9\xEE\xE4       ");
  EXPECT_TRUE(same_value(s.Value(), Utf8("Йод")));
}

TEST_F(FieldTest, AReadOnlyFieldCannotBeModified) {
  data_.Edit();
  TDbfField& s = data_.FieldByName("S");
  s.SetReadOnly(true);
  EXPECT_THROW_MSG(s.SetValue(Variant::ascii("x")), DatabaseError, "Field 'S' cannot be modified");
  EXPECT_THROW_MSG(s.SetText(u"x"), DatabaseError, "Field 'S' cannot be modified");
  TDbfField& f = data_.FieldByName("F");
  f.SetReadOnly(true);
  EXPECT_THROW_MSG(f.SetReal(1), DatabaseError, "Field 'F' cannot be modified");
  TDbfField& d = data_.FieldByName("D");
  d.SetReadOnly(true);
  EXPECT_THROW_MSG(d.SetDate(45000), DatabaseError, "Field 'D' cannot be modified");
  data_.Cancel();
  d.SetReadOnly(false);
  EXPECT_THROW_MSG(d.SetDate(45000), DatabaseError, "Dataset not in edit or insert mode");
}

TEST_F(FieldTest, SizeIsTheTextFieldsLength) {
  EXPECT_EQ(data_.FieldByName("S").Size(), 10u);
  EXPECT_EQ(data_.FieldByName("F").Size(), 0u);
}

// Visual FoxPro keeps date-times, currency and doubles as binary numbers.
TEST(BinaryFieldTest, DateTimesRoundTripAndCurrencyAssignmentsAreIgnored) {
  TempDir dir;
  TableSpec spec;
  spec.version = 0x30;
  spec.fields = {{"T", 'T', 8, 0}, {"Y", 'Y', 8, 4}, {"B", 'B', 8, 0}};
  spec.records = {std::string(24, '\0')};
  write_file(dir.file("V.DBF"), MakeTable(spec));
  TDbfDataSet data;
  data.SetTableName(dir.file("V.DBF"));
  data.Open();
  ASSERT_EQ(data.Fields(0).DataType(), TFieldType::ftDateTime);
  ASSERT_EQ(data.Fields(1).DataType(), TFieldType::ftCurrency);
  ASSERT_EQ(data.Fields(2).DataType(), TFieldType::ftFloat);  // not a memo block
  EXPECT_TRUE(data.Fields(0).Value().is_null());
  data.Edit();
  const double stamp = *encode_date(2024, 3, 5) + 0.5;
  data.Fields(0).SetValue(Variant::date(stamp));
  data.Fields(1).SetValue(Variant::real(12.5));
  data.Fields(2).SetValue(Variant::real(2.75));
  data.Post();
  EXPECT_TRUE(same_value(data.Fields(2).Value(), Variant::real(2.75)));
  EXPECT_TRUE(same_value(data.Fields(0).Value(), Variant::date(stamp)));
  EXPECT_TRUE(same_value(data.Fields(1).Value(), Variant::real(0)));
}

}  // namespace
}  // namespace pharmex::dbf
