#include "host/remembered_folder.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/error.h"
#include "platform/memory_settings_store.h"
#include "platform/settings_store.h"
#include "testing/test_support.h"

namespace pharmex::host {
namespace {

using platform::kHostSettingsKey;
using platform::MemorySettingsStore;
using ScopedSettingsStore = Service<platform::SettingsStore>::Scoped;

struct FolderCase {
  std::string path;
  std::string folder;     // what a routine remembers
  std::string separated;  // what the order dialog stores before its routine
};

void PrintTo(const FolderCase& c, std::ostream* os) {
  *os << '"' << c.path << '"';
}

class FolderFormTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderFormTest, CutsThePathAtItsLastSeparator) {
  EXPECT_EQ(folder_of(GetParam().path), GetParam().folder);
  EXPECT_EQ(folder_with_separator(GetParam().path), GetParam().separated);
}

INSTANTIATE_TEST_SUITE_P(Paths, FolderFormTest,
                         ::testing::Values(FolderCase{"/out/a.dbf", "/out", "/out/"},
                                           FolderCase{"/data/out/a", "/data/out", "/data/out/"},
                                           FolderCase{"/a.dbf", "/", "/"},
                                           FolderCase{"a.dbf", "", ""},
                                           FolderCase{"out/a.dbf", "out", "out/"},
                                           FolderCase{"/out/", "/out", "/out/"},
                                           FolderCase{"", "", ""}));

class RememberedFolderTest : public ::testing::Test {
 protected:
  RememberedFolderTest() : scope_(store_) { store_->create_key(kHostSettingsKey); }

  std::shared_ptr<MemorySettingsStore> store_ = std::make_shared<MemorySettingsStore>();
  ScopedSettingsStore scope_;
};

TEST_F(RememberedFolderTest, ReadsTheValueOrNothing) {
  EXPECT_EQ(read_remembered_folder("supplier_export_path"), "");
  store_->write_string(kHostSettingsKey, "supplier_export_path", "/out");
  EXPECT_EQ(read_remembered_folder("SUPPLIER_EXPORT_PATH"), "/out");
  ScopedSettingsStore keyless(std::make_shared<MemorySettingsStore>());
  EXPECT_EQ(read_remembered_folder("supplier_export_path"), "");
}

TEST_F(RememberedFolderTest, AValueOfAnotherTypeCannotBeRead) {
  store_->write_binary(kHostSettingsKey, "price_export_path", "/out");
  EXPECT_THROW_MSG(read_remembered_folder("price_export_path"), SettingsError,
                   "Invalid data type for 'price_export_path'");
}

TEST_F(RememberedFolderTest, RoutinesRememberTheFolderOfTheirPath) {
  remember_folder_of("order_export_path", "/out/o.dbf");
  EXPECT_EQ(read_remembered_folder("order_export_path"), "/out");
  store_->write_dword(kHostSettingsKey, "waybill_export_path", 1);
  remember_folder_of("waybill_export_path", "/w.txt");
  EXPECT_EQ(read_remembered_folder("waybill_export_path"), "/")
      << "a value of another type is replaced";
}

TEST_F(RememberedFolderTest, WithoutTheHostsKeyTheFolderIsSimplyNotRemembered) {
  auto keyless = std::make_shared<MemorySettingsStore>();
  ScopedSettingsStore scope(keyless);
  remember_folder_of("supplier_export_path", "/out/s.dbf");
  EXPECT_FALSE(keyless->key_exists(kHostSettingsKey)) << "the key is never created";
  EXPECT_EQ(keyless->read_value(kHostSettingsKey, "supplier_export_path"), std::nullopt);
}

// A store whose key exists but which cannot store anything (a full disk).
class BrokenStore : public MemorySettingsStore {
 public:
  void write_value(std::string_view, std::string_view name,
                   const platform::SettingsValue&) override {
    raise<SettingsError>("Failed to set data for '%s'", {name});
  }
};

TEST_F(RememberedFolderTest, OtherFailuresOfTheStoreAreReported) {
  auto broken = std::make_shared<BrokenStore>();
  broken->create_key(kHostSettingsKey);
  ScopedSettingsStore scope(broken);
  EXPECT_THROW_MSG(remember_folder_of("supplier_export_path", "/out/s.dbf"), SettingsError,
                   "Failed to set data for 'supplier_export_path'");
}

}  // namespace
}  // namespace pharmex::host
