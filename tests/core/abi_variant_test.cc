#include "core/abi_variant.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/error.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace pharmex {
namespace {

// The host's 8-bit strings in code page 1251, as the library's default pair reads them.
std::u16string ansi_1251(std::string_view bytes) {
  static const platform::TextCodec codec(1251, 866);
  return codec.ansi_to_utf16(bytes);
}

Variant from_abi(const PxVariant& value) {
  return pharmex::from_abi(value, ansi_1251);
}

// A variant of any tag with the given payload bytes (a host's, never cleared).
template <class T>
PxVariant raw(uint16_t type, T payload) {
  PxVariant value;
  std::memset(&value, 0, sizeof value);
  value.vt = type;
  std::memcpy(&value.value, &payload, sizeof payload);
  return value;
}

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

// A result holder handed to a host call again is empty and all zero, whether
// what it held owned memory (freed: the sanitizers' leak check sees the rest)
// or held its value in itself.
TEST(AbiVariantTest, AHolderIsEmptiedForTheNextResult) {
  for (const Variant& held :
       {Variant(), Variant::null(), Variant::small_int(-2), Variant::integer(7), Variant::int64(1),
        Variant::real(2.5), Variant::currency_units(5), Variant::date(45000),
        Variant::boolean(true), Variant::string(u"text"),
        Variant::array({Variant::string(u"a")})}) {
    AbiVariant holder(held);
    const PxVariant* slot = holder.out();
    const unsigned char zero[sizeof *slot] = {};
    EXPECT_EQ(std::memcmp(slot, zero, sizeof zero), 0) << Variant::kind_name(held.kind());
  }
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
                   "Could not convert variant of type ($000A) into type (Variant)");
}

// What OLE and Pascal hosts hand over beyond the library's own types, read
// alike on every platform (the variant's bytes as the host makes them).
struct HostTypeCase {
  const char* name;
  PxVariant (*make)();
  Variant expected;
};

class HostTypeTest : public ::testing::TestWithParam<HostTypeCase> {};

TEST_P(HostTypeTest, ComesInAsTheNearestType) {
  PxVariant value = GetParam().make();
  Variant read = from_abi(value);
  EXPECT_EQ(read.kind(), GetParam().expected.kind());
  EXPECT_EQ(compare(read, GetParam().expected, RegionalSettings{}), Ordering::Equal);
}

// Targets of the references below.
int32_t referenced_integer = 1234;
const char16_t referenced_units[] = u"Аптека";
PxString referenced_text() {
  static PxString text = pharmex_string_alloc(reinterpret_cast<const PxChar16*>(u"ООО"), 3);
  return text;
}
PxVariant referenced_variant = raw(PX_VT_R8, 2.5);
// OLE's DECIMAL fills the variant: tag, scale, sign, high 32 bits, low 64 bits.
PxVariant make_decimal(uint8_t scale, bool negative, uint32_t high, uint64_t low) {
  PxVariant value = raw<uint64_t>(14, low);
  unsigned char* bytes = reinterpret_cast<unsigned char*>(&value);
  bytes[2] = scale;
  bytes[3] = negative ? 0x80 : 0;
  std::memcpy(bytes + 4, &high, sizeof high);
  return value;
}
PxVariant referenced_decimal = make_decimal(2, false, 0, 1999);

INSTANTIATE_TEST_SUITE_P(
    Hosts, HostTypeTest,
    ::testing::Values(
        HostTypeCase{"ShortInt", [] { return raw<int8_t>(16, -5); }, Variant::integer(-5)},
        HostTypeCase{"Byte", [] { return raw<uint8_t>(17, 200); }, Variant::integer(200)},
        HostTypeCase{"Word", [] { return raw<uint16_t>(18, 65535); }, Variant::integer(65535)},
        HostTypeCase{"LongWord", [] { return raw<uint32_t>(19, 4000000000u); },
                     Variant::int64(4000000000LL)},
        HostTypeCase{"QWord", [] { return raw<uint64_t>(21, 9000000000000000000ull); },
                     Variant::int64(9000000000000000000LL)},
        HostTypeCase{"QWordBeyondInt64", [] { return raw<uint64_t>(21, 18000000000000000000ull); },
                     Variant::real(18000000000000000000.0)},
        HostTypeCase{"Int", [] { return raw<int32_t>(22, -70000); }, Variant::integer(-70000)},
        HostTypeCase{"UInt", [] { return raw<uint32_t>(23, 3000000000u); },
                     Variant::int64(3000000000LL)},
        HostTypeCase{"Single", [] { return raw<float>(4, 1.5f); }, Variant::real(1.5)},
        HostTypeCase{"Decimal", [] { return make_decimal(4, false, 0, 123456); },
                     Variant::currency_units(123456)},
        HostTypeCase{"NegativeDecimal", [] { return make_decimal(1, true, 0, 125); },
                     Variant::currency_units(-125000)},
        HostTypeCase{"FineDecimal", [] { return make_decimal(6, false, 0, 1234567); },
                     Variant::real(1.234567)},
        HostTypeCase{"HugeDecimal", [] { return make_decimal(0, false, 1, 0); },
                     Variant::real(18446744073709551616.0)},
        HostTypeCase{"AnsiString",
                     [] { return raw(PX_VT_ANSISTRING, "\xC0\xEF\xF2\xE5\xEA\xE0 1"); },
                     Variant::string(u"Аптека 1")},
        HostTypeCase{"NilAnsiString", [] { return raw<const char*>(PX_VT_ANSISTRING, nullptr); },
                     Variant::string(u"")},
        HostTypeCase{"UnicodeString", [] { return raw(PX_VT_UNICODESTRING, u"Фарма №5"); },
                     Variant::string(u"Фарма №5")},
        HostTypeCase{"NilUnicodeString",
                     [] { return raw<const char16_t*>(PX_VT_UNICODESTRING, nullptr); },
                     Variant::string(u"")},
        HostTypeCase{"ReferenceToInteger",
                     [] { return raw(0x4000 | PX_VT_I4, &referenced_integer); },
                     Variant::integer(1234)},
        HostTypeCase{"ReferenceToString",
                     [] {
                       static PxString text = referenced_text();
                       return raw(0x4000 | PX_VT_BSTR, &text);
                     },
                     Variant::string(u"ООО")},
        HostTypeCase{"ReferenceToUnicodeString",
                     [] {
                       static const char16_t* text = referenced_units;
                       return raw(0x4000 | PX_VT_UNICODESTRING, &text);
                     },
                     Variant::string(u"Аптека")},
        HostTypeCase{"ReferenceToVariant", [] { return raw(0x4000 | 12, &referenced_variant); },
                     Variant::real(2.5)},
        HostTypeCase{"ReferenceToDecimal", [] { return raw(0x4000 | 14, &referenced_decimal); },
                     Variant::currency_units(199900)}),
    [](const ::testing::TestParamInfo<HostTypeCase>& info) { return info.param.name; });

struct RefusedCase {
  const char* name;
  PxVariant (*make)();
  const char* message;
};

class RefusedTypeTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedTypeTest, NamesTheTypeCode) {
  PxVariant value = GetParam().make();
  EXPECT_THROW_MSG(from_abi(value), VariantError, GetParam().message);
}

PxVariant referenced_reference = raw(0x4000 | PX_VT_I4, &referenced_integer);

INSTANTIATE_TEST_SUITE_P(
    Hosts, RefusedTypeTest,
    ::testing::Values(
        RefusedCase{"Dispatch", [] { return raw<void*>(9, nullptr); },
                    "Could not convert variant of type ($0009) into type (Variant)"},
        RefusedCase{"PascalAny", [] { return raw<void*>(0x0101, nullptr); },
                    "Could not convert variant of type ($0101) into type (Variant)"},
        RefusedCase{"ArrayOfIntegers", [] { return raw<void*>(0x2003, nullptr); },
                    "Could not convert variant of type ($2003) into type (Variant)"},
        RefusedCase{"NullReference", [] { return raw<void*>(0x4000 | PX_VT_I4, nullptr); },
                    "Could not convert variant of type ($4003) into type (Variant)"},
        RefusedCase{"ReferenceToDispatch", [] { return raw(0x4000 | 9, &referenced_integer); },
                    "Could not convert variant of type ($4009) into type (Variant)"},
        RefusedCase{"ReferenceToAReference", [] { return raw(0x4000 | 12, &referenced_reference); },
                    "Could not convert variant of type ($400C) into type (Variant)"},
        RefusedCase{"DecimalScaleBeyond28", [] { return make_decimal(29, false, 0, 1); },
                    "Could not convert variant of type ($000E) into type (Variant)"}),
    [](const ::testing::TestParamInfo<RefusedCase>& info) { return info.param.name; });

// A Pascal host's own strings belong to its language's memory manager:
// clearing or copying them never frees them (a free of this stack buffer
// would abort).
class PascalStringTest : public ::testing::TestWithParam<uint16_t> {};

TEST_P(PascalStringTest, IsNeverFreed) {
  char16_t units[] = u"abc";
  PxVariant value = raw(GetParam(), &units[0]);
  PxVariant copy;
  pharmex_variant_init(&copy);
  ASSERT_EQ(pharmex_variant_copy(&copy, &value), 0);
  EXPECT_EQ(copy.vt, GetParam());
  pharmex_variant_clear(&copy);
  pharmex_variant_clear(&value);
  EXPECT_EQ(value.vt, PX_VT_EMPTY);
  EXPECT_EQ(units[0], u'a');
}

INSTANTIATE_TEST_SUITE_P(Hosts, PascalStringTest,
                         ::testing::Values(uint16_t{PX_VT_ANSISTRING},
                                           uint16_t{PX_VT_UNICODESTRING}));

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
