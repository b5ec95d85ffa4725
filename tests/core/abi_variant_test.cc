#include "core/abi_variant.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "testing/test_support.h"

namespace pharmex {
namespace {

class AbiRoundTripTest : public ::testing::TestWithParam<Variant> {};

TEST_P(AbiRoundTripTest, KeepsKindAndValue) {
  const Variant& original = GetParam();
  AbiVariant abi(original);
  Variant back = from_abi(abi.get());
  EXPECT_EQ(back.kind(), original.kind());
  EXPECT_EQ(compare(back, original, RegionalSettings{}), Ordering::Equal);
}

INSTANTIATE_TEST_SUITE_P(Kinds, AbiRoundTripTest,
                         ::testing::Values(Variant::null(), Variant::small_int(-7),
                                           Variant::integer(1001),
                                           Variant::int64(1234567890123456789LL),
                                           Variant::real(12.5), Variant::currency_units(150001),
                                           Variant::date(39877.25), Variant::boolean(true),
                                           Variant::string(u"Аптека"), Variant::string(u""),
                                           Variant()));

TEST(AbiVariantTest, UsesOleTagsAndPayloads) {
  AbiVariant boolean(Variant::boolean(true));
  EXPECT_EQ(boolean.get().vt, PX_VT_BOOL);
  EXPECT_EQ(boolean.get().value.boolean, -1);  // OLE's true
  AbiVariant money(Variant::currency_units(125000));
  EXPECT_EQ(money.get().vt, PX_VT_CY);
  EXPECT_EQ(money.get().value.cy, 125000);
  AbiVariant words(Variant::string(u"ab"));
  EXPECT_EQ(words.get().vt, PX_VT_BSTR);
  EXPECT_EQ(pharmex_string_length(words.get().value.bstr), 2u);
  EXPECT_EQ(words.get().value.bstr[2], 0);
}

TEST(AbiVariantTest, ArraysKeepTheirElementsInOrder) {
  Variant key = Variant::array({Variant::integer(3), Variant::string(u"1001")});
  AbiVariant abi(key);
  ASSERT_EQ(abi.get().vt, PX_VT_ARRAY_VARIANT);
  ASSERT_EQ(pharmex_array_count(abi.get().value.array), 2u);
  Variant back = from_abi(abi.get());
  ASSERT_EQ(back.array_value().size(), 2u);
  EXPECT_EQ(back.array_value()[0].whole_value(), 3);
  EXPECT_EQ(back.array_value()[1].string_value(), u"1001");
}

TEST(AbiVariantTest, ReleaseHandsOwnershipToTheCaller) {
  AbiVariant holder(Variant::string(u"x"));
  PxVariant owned = holder.release();
  EXPECT_EQ(holder.get().vt, PX_VT_EMPTY);
  EXPECT_EQ(owned.vt, PX_VT_BSTR);
  pharmex_variant_clear(&owned);
  EXPECT_EQ(owned.vt, PX_VT_EMPTY);
}

TEST(AbiVariantTest, CopyIsDeep) {
  AbiVariant original(Variant::array({Variant::string(u"abc")}));
  PxVariant copy;
  pharmex_variant_init(&copy);
  ASSERT_EQ(pharmex_variant_copy(&copy, &original.get()), 0);
  PxVariant* item = pharmex_array_item(copy.value.array, 0);
  EXPECT_NE(item->value.bstr, pharmex_array_item(original.get().value.array, 0)->value.bstr);
  pharmex_variant_clear(&copy);
}

TEST(AbiVariantTest, UnknownTagIsRefused) {
  PxVariant odd;
  pharmex_variant_init(&odd);
  odd.vt = 10;  // an error code: no value of any host's columns
  EXPECT_THROW_MSG(from_abi(odd), VariantError,
                   "Could not convert variant of type (Unknown) into type (Variant)");
}

TEST(AbiVariantTest, NullStringReadsAsEmptyText) {
  PxVariant value;
  pharmex_variant_init(&value);
  value.vt = PX_VT_BSTR;
  value.value.bstr = nullptr;
  Variant text = from_abi(value);
  EXPECT_TRUE(text.is_string());
  EXPECT_TRUE(text.string_value().empty());
}

}  // namespace
}  // namespace pharmex
