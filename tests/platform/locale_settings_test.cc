#include "platform/locale_settings.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>

#include "platform/scoped_env.h"

namespace pharmex {

// Readable failures instead of the bytes of the object.
static void PrintTo(const RegionalSettings& settings, std::ostream* out) {
  *out << "{'" << settings.decimal_separator << "', \"" << settings.short_date_pattern << "\", \""
       << settings.long_time_pattern << "\"}";
}

namespace platform {
namespace {

bool locale_installed(const char* name) {
  locale_t locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return false;
  freelocale(locale);
  return true;
}

using testing::ScopedEnv;

struct PatternCase {
  const char* strftime;
  const char* pattern;
};

class DatePatternTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(DatePatternTest, FromStrftime) {
  EXPECT_EQ(date_pattern_from_strftime(GetParam().strftime), GetParam().pattern);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, DatePatternTest,
    ::testing::Values(PatternCase{"%d.%m.%Y", "dd.MM.yyyy"}, PatternCase{"%m/%d/%Y", "MM/dd/yyyy"},
                      PatternCase{"%d/%m/%y", "dd/MM/yy"}, PatternCase{"%F", "yyyy-MM-dd"},
                      PatternCase{"%D", "MM/dd/yy"}, PatternCase{"%e.%m.%Y", "d.MM.yyyy"},
                      PatternCase{"%Od.%Om.%EY", "dd.MM.yyyy"},
                      PatternCase{"%Y-%m-%d %%", "yyyy-MM-dd %"}, PatternCase{"%d %b", "dd "},
                      PatternCase{"%d.%", "dd.%"}, PatternCase{"%d%E", "dd"}, PatternCase{"", ""}));

const RegionalSettings kDefaults;

TEST(LocaleSettingsTest, PlainAndUnknownLocalesKeepTheDefaults) {
  for (const char* name : {"", "C", "POSIX", "C.UTF-8", "xx_XX.UTF-8"})
    EXPECT_EQ(regional_settings_from_locales(name, name), kDefaults) << name;
}

TEST(LocaleSettingsTest, RussianLocale) {
  if (!locale_installed("ru_RU.UTF-8")) GTEST_SKIP() << "ru_RU.UTF-8 is not installed";
  RegionalSettings settings = regional_settings_from_locales("ru_RU.UTF-8", "ru_RU.UTF-8");
  EXPECT_EQ(settings.decimal_separator, ',');
  EXPECT_EQ(settings.short_date_pattern, "dd.MM.yyyy");
}

TEST(LocaleSettingsTest, AmericanLocale) {
  if (!locale_installed("en_US.UTF-8")) GTEST_SKIP() << "en_US.UTF-8 is not installed";
  RegionalSettings settings = regional_settings_from_locales("en_US.UTF-8", "en_US.UTF-8");
  EXPECT_EQ(settings.decimal_separator, '.');
  EXPECT_EQ(settings.short_date_pattern, "MM/dd/yyyy");
  // Separator and date come from their own categories.
  settings = regional_settings_from_locales("en_US.UTF-8", "C");
  EXPECT_EQ(settings.decimal_separator, '.');
  EXPECT_EQ(settings.short_date_pattern, "dd.MM.yyyy");
}

TEST(LocaleSettingsTest, ADatePatternWithTextOutsideAsciiKeepsTheDefault) {
  // The Japanese short date is "%Y年%m月%d日", in the locale's UTF-8.
  if (!locale_installed("ja_JP.UTF-8")) GTEST_SKIP() << "ja_JP.UTF-8 is not installed";
  EXPECT_EQ(regional_settings_from_locales("C", "ja_JP.UTF-8"), kDefaults);
}

TEST(LocaleSettingsTest, TheEnvironmentIsReadInPosixOrder) {
  ScopedEnv all("LC_ALL", nullptr);
  ScopedEnv numeric("LC_NUMERIC", nullptr);
  ScopedEnv time("LC_TIME", nullptr);
  ScopedEnv lang("LANG", "C");
  EXPECT_EQ(regional_settings_from_environment(), kDefaults);
  if (!locale_installed("en_US.UTF-8")) GTEST_SKIP() << "en_US.UTF-8 is not installed";
  ::setenv("LANG", "en_US.UTF-8", 1);
  EXPECT_EQ(regional_settings_from_environment().decimal_separator, '.');
  ::setenv("LC_NUMERIC", "C", 1);  // the category before LANG
  EXPECT_EQ(regional_settings_from_environment().decimal_separator, ',');
  EXPECT_EQ(regional_settings_from_environment().short_date_pattern, "MM/dd/yyyy");
  ::setenv("LC_ALL", "C", 1);  // LC_ALL before everything
  EXPECT_EQ(regional_settings_from_environment(), kDefaults);
}

}  // namespace
}  // namespace platform
}  // namespace pharmex
