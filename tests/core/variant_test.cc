#include "core/variant.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "testing/test_support.h"

namespace pharmex {
namespace {

const RegionalSettings kComma{',', "dd.MM.yyyy", "H:mm:ss"};

TEST(VariantTest, NullPropagatesThroughArithmetic) {
  Variant sum = add(Variant::null(), Variant::integer(1), kComma);
  EXPECT_TRUE(sum.is_null());
  EXPECT_TRUE(divide(Variant::real(1), Variant::null(), kComma).is_null());
}

TEST(VariantTest, WholeConversionRoundsHalvesToEven) {
  EXPECT_EQ(Variant::real(2.5).to_int64(kComma), 2);
  EXPECT_EQ(Variant::real(3.5).to_int64(kComma), 4);
  EXPECT_EQ(Variant::real(-2.5).to_int64(kComma), -2);
  EXPECT_EQ(Variant::ascii("12,5").to_int64(kComma), 12);
}

TEST(VariantTest, NullConversionNamesBothTypes) {
  EXPECT_THROW_MSG(Variant::null().to_double(kComma), VariantError,
                   "Could not convert variant of type (Null) into type (Double)");
  EXPECT_THROW_MSG(Variant::ascii("A-17").to_double(kComma), VariantError,
                   "Could not convert variant of type (String) into type (Double)");
}

}  // namespace
}  // namespace pharmex
