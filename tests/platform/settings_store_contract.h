// One suite over every settings store: each platform's real store and the
// in-memory double the other tests use must behave alike. Each platform's
// test program instantiates it with its backends (a Backend names itself,
// makes a fresh empty store, and says whether the store matches key names
// exactly and lists values in the order they were first written).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "core/error.h"
#include "platform/settings_store.h"
#include "testing/test_support.h"

namespace pharmex::platform {
namespace {

const std::string kKey = "Software\\kestrova";

template <class Backend>
class SettingsStoreContract : public ::testing::Test {
 protected:
  EditableSettingsStore& store() { return *store_; }
  // The store with the host's key created.
  EditableSettingsStore& keyed() {
    store_->create_key(kKey);
    return *store_;
  }

 private:
  Backend backend_;
  std::unique_ptr<EditableSettingsStore> store_ = backend_.make();
};

TYPED_TEST_SUITE_P(SettingsStoreContract);

// Compares a key's values with those expected: in the order they were first
// written where the store keeps it, else in any order (the registry lists
// values in an order of its own).
template <class Backend>
void expect_values(std::vector<NamedSettingsValue> actual,
                   std::vector<NamedSettingsValue> expected) {
  if (!Backend::kKeepsWritingOrder) {
    auto by_name = [](const NamedSettingsValue& a, const NamedSettingsValue& b) {
      return a.name < b.name;
    };
    std::sort(actual.begin(), actual.end(), by_name);
    std::sort(expected.begin(), expected.end(), by_name);
  }
  EXPECT_EQ(actual, expected);
}

TYPED_TEST_P(SettingsStoreContract, MissingKeyReadsEmptyAndIsNeverCreatedByWrites) {
  EditableSettingsStore& store = this->store();
  EXPECT_FALSE(store.key_exists(kKey));
  EXPECT_EQ(store.read_string(kKey, "supplier_export_path"), "");
  EXPECT_EQ(store.read_value(kKey, "supplier_export_path"), std::nullopt);
  EXPECT_TRUE(store.read_values(kKey).empty());
  EXPECT_THROW_MSG(store.write_string(kKey, "supplier_export_path", "/out"), SettingsError,
                   "Failed to set data for 'supplier_export_path'");
  EXPECT_THROW_MSG(store.write_dword(kKey, "count", 1), SettingsError,
                   "Failed to set data for 'count'");
  EXPECT_FALSE(store.delete_value(kKey, "count"));
  EXPECT_FALSE(store.key_exists(kKey));
}

TYPED_TEST_P(SettingsStoreContract, CreatingAKeyCreatesItsParentsAndKeepsExistingValues) {
  EditableSettingsStore& store = this->keyed();
  EXPECT_TRUE(store.key_exists(kKey));
  EXPECT_TRUE(store.key_exists("Software"));
  EXPECT_FALSE(store.key_exists("Software\\kestrova\\sub"));
  EXPECT_EQ(store.key_exists("software\\kestrova"), !TypeParam::kKeyNamesMatchExactly)
      << "key names match exactly, or without regard to case as in the registry";
  EXPECT_EQ(store.read_string(kKey, "price_export_path"), "");

  store.write_string(kKey, "price_export_path", "/prices");
  store.create_key(kKey);
  store.create_key("Software\\kestrova\\sub");
  EXPECT_EQ(store.read_string(kKey, "price_export_path"), "/prices");
  EXPECT_TRUE(store.key_exists("Software\\kestrova\\sub"));
  EXPECT_TRUE(store.read_values("Software\\kestrova\\sub").empty());
}

TYPED_TEST_P(SettingsStoreContract, TextsComeBackByteForByte) {
  std::string every_byte;
  for (int c = 0; c < 256; ++c)
    every_byte.push_back(static_cast<char>(c));
  const std::string texts[] = {
      "",
      "C:\\out\\",
      "/home/anna/\xC7\xE0\xEA\xE0\xE7\xFB \xB9 1",  // "Заказы № 1" in code page 1251
      "say \"\\\" twice \\\\",
      "two\r\nlines\n",
      std::string("nul\0inside", 10),
      every_byte,
  };
  EditableSettingsStore& store = this->keyed();
  for (const std::string& text : texts) {
    store.write_string(kKey, "order_export_path", text);
    EXPECT_EQ(store.read_string(kKey, "order_export_path"), text);
  }
}

TYPED_TEST_P(SettingsStoreContract, WritingOneValueKeepsTheOthersInTheirOrder) {
  EditableSettingsStore& store = this->keyed();
  store.write_string(kKey, "supplier_export_path", "/a");
  store.write_dword(kKey, "count", 7);
  store.write_string(kKey, "waybill_export_path", "/c");
  store.write_string(kKey, "supplier_export_path", "/b");
  std::vector<NamedSettingsValue> expected = {
      {"supplier_export_path", SettingsValue::string("/b")},
      {"count", SettingsValue::dword(7)},
      {"waybill_export_path", SettingsValue::string("/c")},
  };
  expect_values<TypeParam>(store.read_values(kKey), expected);
}

TYPED_TEST_P(SettingsStoreContract, ValueNamesIgnoreCaseAndKeepTheirFirstSpelling) {
  EditableSettingsStore& store = this->keyed();
  store.write_string(kKey, "Order_Import_Path", "/in");
  EXPECT_EQ(store.read_string(kKey, "ORDER_IMPORT_PATH"), "/in");
  store.write_string(kKey, "order_import_path", "/in2");
  // Cyrillic names fold by the code page: "путь" and "ПУТЬ" in 1251.
  store.write_string(kKey, "\xEF\xF3\xF2\xFC", "/ru");
  EXPECT_EQ(store.read_string(kKey, "\xCF\xD3\xD2\xDC"), "/ru");
  std::vector<NamedSettingsValue> expected = {
      {"Order_Import_Path", SettingsValue::string("/in2")},
      {"\xEF\xF3\xF2\xFC", SettingsValue::string("/ru")},
  };
  expect_values<TypeParam>(store.read_values(kKey), expected);
}

TYPED_TEST_P(SettingsStoreContract, TheDefaultValueHasAnEmptyName) {
  EditableSettingsStore& store = this->keyed();
  store.write_string(kKey, "", "default");
  store.write_string(kKey, "@", "at sign");
  EXPECT_EQ(store.read_string(kKey, ""), "default");
  EXPECT_EQ(store.read_string(kKey, "@"), "at sign");
}

TYPED_TEST_P(SettingsStoreContract, TypedValuesComeBackWithTheirType) {
  const NamedSettingsValue values[] = {
      {"zero", SettingsValue::dword(0)},
      {"dword", SettingsValue::dword(0xFFFFFFFFu)},
      {"qword", SettingsValue::qword(0x0123456789ABCDEFull)},
      {"qword max", SettingsValue::qword(~0ull)},
      {"empty", SettingsValue::binary("")},
      {"binary", SettingsValue::binary(std::string("\x00\xFF\x10", 3))},
      {"expand", SettingsValue::other(2, std::string("%\0\0\0", 4))},
      {"none", SettingsValue::other(0, "")},
  };
  EditableSettingsStore& store = this->keyed();
  for (const NamedSettingsValue& value : values)
    store.write_value(kKey, value.name, value.value);
  for (const NamedSettingsValue& value : values)
    EXPECT_EQ(store.read_value(kKey, value.name), value.value) << value.name;
  expect_values<TypeParam>(store.read_values(kKey),
                           std::vector<NamedSettingsValue>(std::begin(values), std::end(values)));
}

TYPED_TEST_P(SettingsStoreContract, ReadingAValueOfAnotherTypeAsTextFails) {
  EditableSettingsStore& store = this->keyed();
  store.write_dword(kKey, "d", 31);
  store.write_qword(kKey, "q", 31);
  store.write_binary(kKey, "b", "\x1f");
  store.write_value(kKey, "o", SettingsValue::other(7, "a"));
  EXPECT_THROW_MSG(store.read_string(kKey, "d"), SettingsError, "Invalid data type for 'd'");
  EXPECT_THROW_MSG(store.read_string(kKey, "q"), SettingsError, "Invalid data type for 'q'");
  EXPECT_THROW_MSG(store.read_string(kKey, "B"), SettingsError, "Invalid data type for 'B'");
  EXPECT_THROW_MSG(store.read_string(kKey, "o"), SettingsError, "Invalid data type for 'o'");
}

TYPED_TEST_P(SettingsStoreContract, WritingTextReplacesAValueOfAnotherType) {
  EditableSettingsStore& store = this->keyed();
  store.write_dword(kKey, "price_export_path", 5);
  store.write_string(kKey, "price_export_path", "/p");
  EXPECT_EQ(store.read_string(kKey, "price_export_path"), "/p");
}

TYPED_TEST_P(SettingsStoreContract, DeletingAValueKeepsTheOthers) {
  EditableSettingsStore& store = this->keyed();
  store.write_string(kKey, "a", "1");
  store.write_string(kKey, "b", "2");
  EXPECT_TRUE(store.delete_value(kKey, "A"));
  EXPECT_FALSE(store.delete_value(kKey, "a"));
  EXPECT_EQ(store.read_value(kKey, "a"), std::nullopt);
  EXPECT_EQ(store.read_string(kKey, "b"), "2");
}

TYPED_TEST_P(SettingsStoreContract, InvalidKeyNamesNeverExist) {
  const std::string names[] = {"",           "\\Software", "Software\\", "Software\\\\kestrova",
                               "Soft/ware",  ".",          "..",         "Software\\..\\kestrova",
                               "Software\\."};
  EditableSettingsStore& store = this->keyed();
  for (const std::string& name : names) {
    EXPECT_FALSE(store.key_exists(name)) << name;
    EXPECT_EQ(store.read_string(name, "x"), "") << name;
    EXPECT_THROW_MSG(store.write_string(name, "x", "y"), SettingsError,
                     "Failed to set data for 'x'");
    EXPECT_THROW_MSG(store.create_key(name), SettingsError, "Failed to create key '" + name + "'");
  }
  EXPECT_THROW(store.create_key(std::string("a\0b", 3)), SettingsError);
}

TYPED_TEST_P(SettingsStoreContract, CyrillicKeyNamesWork) {
  const std::string key = "Software\\\xC0\xEF\xF2\xE5\xEA\xE0";  // "Аптека" in 1251
  EditableSettingsStore& store = this->store();
  store.create_key(key);
  store.write_string(key, "path", "/x");
  EXPECT_TRUE(store.key_exists(key));
  EXPECT_EQ(store.read_string(key, "path"), "/x");
}

REGISTER_TYPED_TEST_SUITE_P(SettingsStoreContract, MissingKeyReadsEmptyAndIsNeverCreatedByWrites,
                            CreatingAKeyCreatesItsParentsAndKeepsExistingValues,
                            TextsComeBackByteForByte, WritingOneValueKeepsTheOthersInTheirOrder,
                            ValueNamesIgnoreCaseAndKeepTheirFirstSpelling,
                            TheDefaultValueHasAnEmptyName, TypedValuesComeBackWithTheirType,
                            ReadingAValueOfAnotherTypeAsTextFails,
                            WritingTextReplacesAValueOfAnotherType, DeletingAValueKeepsTheOthers,
                            InvalidKeyNamesNeverExist, CyrillicKeyNamesWork);

// Names the instantiations by their backends.
struct BackendNames {
  template <class Backend>
  static std::string GetName(int) {
    return Backend::kName;
  }
};

}  // namespace
}  // namespace pharmex::platform
