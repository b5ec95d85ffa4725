// The variant ABI on Windows is OLE automation's: values a host makes with
// oleaut32 are read as they are, values the library makes are the system's
// BSTRs and SAFEARRAYs, and an OLE host's other types come in as the
// nearest type the library reads.
#include <gtest/gtest.h>
#include <ole2.h>

#include <cstring>

#include "core/abi_variant.h"
#include "core/error.h"
#include "host/host_variant.h"
#include "testing/test_support.h"

namespace pharmex {
namespace {

// As the library reads a host's value: 8-bit strings in the system's ANSI code page.
Variant from_abi(const PxVariant& value) {
  return host::read_host_variant(value);
}

const PxVariant& px(const VARIANT& value) {
  return *reinterpret_cast<const PxVariant*>(&value);
}

// A VARIANT that clears itself.
struct Ole {
  Ole() { ::VariantInit(&value); }
  ~Ole() { ::VariantClear(&value); }
  VARIANT value;
};

TEST(Win32VariantAbiTest, IsTheSystemsVariant) {
  EXPECT_EQ(sizeof(PxVariant), sizeof(VARIANT));
  EXPECT_EQ(sizeof(PxVariant), static_cast<size_t>(PX_VARIANT_SIZE));
}

TEST(Win32VariantAbiTest, ReadsWhatAHostMadeWithOleAutomation) {
  Ole text;
  text.value.vt = VT_BSTR;
  text.value.bstrVal = ::SysAllocString(L"Аптека");
  Variant read = from_abi(px(text.value));
  EXPECT_EQ(read.string_value(), u"Аптека");
}

TEST(Win32VariantAbiTest, WhatTheLibraryMakesTheHostFreesWithTheSystem) {
  AbiVariant key(Variant::array({Variant::integer(3), Variant::string(u"50211")}));
  PxVariant owned = key.release();
  VARIANT value;
  std::memcpy(&value, &owned, sizeof value);  // the same bytes, as the host sees them
  ASSERT_EQ(value.vt, VT_ARRAY | VT_VARIANT);
  EXPECT_EQ(::SafeArrayGetDim(value.parray), 1u);
  VARTYPE type = VT_EMPTY;
  ASSERT_EQ(::SafeArrayGetVartype(value.parray, &type), S_OK);
  EXPECT_EQ(type, VT_VARIANT);
  LONG index = 1;
  VARIANT item;
  ::VariantInit(&item);
  ASSERT_EQ(::SafeArrayGetElement(value.parray, &index, &item), S_OK);
  EXPECT_EQ(item.vt, VT_BSTR);
  EXPECT_EQ(std::wstring(item.bstrVal, ::SysStringLen(item.bstrVal)), L"50211");
  ::VariantClear(&item);
  EXPECT_EQ(::VariantClear(&value), S_OK);
}

TEST(Win32VariantAbiTest, ReadsAHostsArrayWhateverItsLowerBound) {
  SAFEARRAYBOUND bound{2, 1};  // elements 1 and 2, as VarArrayCreate([1, 2]) makes
  Ole key;
  key.value.vt = VT_ARRAY | VT_VARIANT;
  key.value.parray = ::SafeArrayCreate(VT_VARIANT, 1, &bound);
  for (LONG i = 1; i <= 2; ++i) {
    VARIANT element;
    ::VariantInit(&element);
    element.vt = VT_I4;
    element.lVal = 100 * i;
    ASSERT_EQ(::SafeArrayPutElement(key.value.parray, &i, &element), S_OK);
  }
  Variant read = from_abi(px(key.value));
  ASSERT_EQ(read.array_value().size(), 2u);
  EXPECT_EQ(read.array_value()[0].whole_value(), 100);
  EXPECT_EQ(read.array_value()[1].whole_value(), 200);
}

struct ForeignCase {
  const char* name;
  VARTYPE type;
  void (*fill)(VARIANT&);
  Variant::Kind kind;
  double value;
};

class ForeignTypeTest : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(ForeignTypeTest, ComesInAsTheNearestType) {
  const ForeignCase& c = GetParam();
  Ole foreign;
  foreign.value.vt = c.type;
  c.fill(foreign.value);
  Variant read = from_abi(px(foreign.value));
  EXPECT_EQ(read.kind(), c.kind);
  if (read.kind() == Variant::Kind::Double) {
    EXPECT_DOUBLE_EQ(read.double_value(), c.value);
  } else {
    EXPECT_EQ(static_cast<double>(read.whole_value()), c.value);
  }
}

LONG byref_target = 1234;

INSTANTIATE_TEST_SUITE_P(
    Ole, ForeignTypeTest,
    ::testing::Values(
        ForeignCase{"Byte", VT_UI1, [](VARIANT& v) { v.bVal = 200; }, Variant::Kind::Integer, 200},
        ForeignCase{"ShortInt", VT_I1, [](VARIANT& v) { v.cVal = -5; }, Variant::Kind::Integer, -5},
        ForeignCase{"Word", VT_UI2, [](VARIANT& v) { v.uiVal = 65535; }, Variant::Kind::Integer,
                    65535},
        ForeignCase{"LongWord", VT_UI4, [](VARIANT& v) { v.ulVal = 4000000000u; },
                    Variant::Kind::Int64, 4000000000.0},
        ForeignCase{"Single", VT_R4, [](VARIANT& v) { v.fltVal = 1.5f; }, Variant::Kind::Double,
                    1.5},
        ForeignCase{"Decimal", VT_DECIMAL,
                    [](VARIANT& v) {
                      v.decVal.scale = 4;  // 12.3456
                      v.decVal.Lo64 = 123456;
                    },
                    Variant::Kind::Currency, 123456},
        ForeignCase{"FineDecimal", VT_DECIMAL,
                    [](VARIANT& v) {
                      v.decVal.scale = 6;  // 1.234567
                      v.decVal.Lo64 = 1234567;
                    },
                    Variant::Kind::Double, 1.234567},
        ForeignCase{"ByReference", VT_BYREF | VT_I4, [](VARIANT& v) { v.plVal = &byref_target; },
                    Variant::Kind::Integer, 1234},
        ForeignCase{"Int", VT_INT, [](VARIANT& v) { v.intVal = -70000; }, Variant::Kind::Integer,
                    -70000},
        ForeignCase{"UInt", VT_UINT, [](VARIANT& v) { v.uintVal = 3000000000u; },
                    Variant::Kind::Int64, 3000000000.0},
        ForeignCase{"QWord", VT_UI8, [](VARIANT& v) { v.ullVal = 18000000000000000000ull; },
                    Variant::Kind::Double, 18000000000000000000.0},
        ForeignCase{"ReferenceToVariant", VT_BYREF | VT_VARIANT,
                    [](VARIANT& v) {
                      static VARIANT target;
                      target.vt = VT_R4;
                      target.fltVal = 0.25f;
                      v.pvarVal = &target;
                    },
                    Variant::Kind::Double, 0.25}),
    [](const ::testing::TestParamInfo<ForeignCase>& info) { return info.param.name; });

TEST(Win32VariantAbiTest, ATypeWithoutValueIsRefused) {
  Ole object;
  object.value.vt = VT_DISPATCH;
  object.value.pdispVal = nullptr;
  EXPECT_THROW_MSG(from_abi(px(object.value)), VariantError,
                   "Could not convert variant of type ($0009) into type (Variant)");
}

// A Pascal host's strings beside OLE's: an AnsiString in the system's ANSI
// code page (1251 in the tests' prefix) and a UnicodeString; the system's
// VariantClear is never asked to free them.
TEST(Win32VariantAbiTest, ReadsAPascalHostsOwnStrings) {
  char ansi[] = "\xCF\xF0\xEE\xF2\xE5\xEA";
  wchar_t units[] = L"Протек";
  struct {
    uint16_t type;
    void* text;
  } cases[] = {{PX_VT_ANSISTRING, ansi}, {PX_VT_UNICODESTRING, units}};
  for (const auto& c : cases) {
    PxVariant value;
    pharmex_variant_init(&value);
    value.vt = c.type;
    std::memcpy(&value.value, &c.text, sizeof c.text);
    EXPECT_EQ(from_abi(value).string_value(), u"Протек");
    pharmex_variant_clear(&value);  // VariantClear would refuse them; nothing is freed
    EXPECT_EQ(value.vt, PX_VT_EMPTY);
  }
  EXPECT_EQ(ansi[0], '\xCF');
}

TEST(Win32VariantAbiTest, CopiesAreDeepAndTheSystemsOwn) {
  Ole text;
  text.value.vt = VT_BSTR;
  text.value.bstrVal = ::SysAllocString(L"abc");
  PxVariant copy;
  pharmex_variant_init(&copy);
  ASSERT_EQ(pharmex_variant_copy(&copy, &px(text.value)), 0);
  EXPECT_NE(copy.value.bstr, reinterpret_cast<PxString>(text.value.bstrVal));
  EXPECT_EQ(::SysStringLen(reinterpret_cast<BSTR>(copy.value.bstr)), 3u);
  pharmex_variant_clear(&copy);
  EXPECT_EQ(copy.vt, PX_VT_EMPTY);
}

}  // namespace
}  // namespace pharmex
