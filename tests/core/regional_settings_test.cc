#include "core/regional_settings.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace pharmex {
namespace {

TEST(RegionalSettingsTest, DefaultsAreTheRussianSettings) {
  const RegionalSettings defaults;
  EXPECT_EQ(defaults.decimal_separator, ',');
  EXPECT_EQ(defaults.short_date_pattern, "dd.MM.yyyy");
  EXPECT_EQ(defaults.long_time_pattern, "H:mm:ss");
}

struct ValidCase {
  const char* label;
  char separator;
  const char* pattern;
  bool valid;
};

void PrintTo(const ValidCase& c, std::ostream* out) {
  *out << c.label;
}

class ValidSettingsTest : public ::testing::TestWithParam<ValidCase> {};

TEST_P(ValidSettingsTest, OneRuleForEverySetting) {
  const ValidCase& c = GetParam();
  EXPECT_EQ((RegionalSettings{c.separator, c.pattern, "H:mm:ss"}).valid(), c.valid);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ValidSettingsTest,
    ::testing::Values(ValidCase{"Defaults", ',', "dd.MM.yyyy", true},
                      ValidCase{"American", '.', "MM/dd/yyyy", true},
                      ValidCase{"IsoShortDay", '.', "yyyy-M-d", true},
                      ValidCase{"TwoDigitYearAnyCase", ',', "DD/mm/YY", true},
                      ValidCase{"BlankAndPercent", ',', "dd MM yyyy %", true},
                      ValidCase{"DigitSeparator", '7', "dd.MM.yyyy", false},
                      ValidCase{"BlankSeparator", ' ', "dd.MM.yyyy", false},
                      ValidCase{"ControlSeparator", '\t', "dd.MM.yyyy", false},
                      ValidCase{"SeparatorOutsideAscii", '\xB7', "dd.MM.yyyy", false},
                      ValidCase{"NoYear", ',', "dd.MM", false}, ValidCase{"Empty", ',', "", false},
                      ValidCase{"UnknownLetter", ',', "dd.MM.yyyy g", false},
                      ValidCase{"TimeLetter", ',', "dd.MM.yyyy hh", false},
                      ValidCase{"MonthName", ',', "dd MMM yyyy", false},
                      ValidCase{"ThreeDigitYear", ',', "dd.MM.yyy", false},
                      ValidCase{"DayTwice", ',', "dd.MM.yyyy dd", false},
                      ValidCase{"Quote", ',', "dd'.'MM'.'yyyy", false},
                      ValidCase{"Digit", ',', "dd.MM.2yyyy", false},
                      ValidCase{"TextOutsideAscii", ',', "dd.MM.yyyy \xE3.", false},
                      ValidCase{"Utf8Text", ',', "dd.MM.yyyy г.", false}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace pharmex
