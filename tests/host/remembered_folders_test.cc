#include "host/remembered_folders.h"

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

class RememberedFoldersTest : public ::testing::Test {
 protected:
  RememberedFoldersTest() { store_->create_key(kHostSettingsKey); }

  std::shared_ptr<MemorySettingsStore> store_ = std::make_shared<MemorySettingsStore>();
  RememberedFolders folders_{store_};
};

TEST_F(RememberedFoldersTest, ReadsTheValueOrNothing) {
  EXPECT_EQ(folders_.read("supplier_export_path"), "");
  store_->write_string(kHostSettingsKey, "supplier_export_path", "/out");
  EXPECT_EQ(folders_.read("SUPPLIER_EXPORT_PATH"), "/out");
  RememberedFolders keyless(std::make_shared<MemorySettingsStore>());
  EXPECT_EQ(keyless.read("supplier_export_path"), "");
}

TEST_F(RememberedFoldersTest, AValueOfAnotherTypeCannotBeRead) {
  store_->write_binary(kHostSettingsKey, "price_export_path", "/out");
  EXPECT_THROW_MSG(folders_.read("price_export_path"), SettingsError,
                   "Invalid data type for 'price_export_path'");
}

TEST_F(RememberedFoldersTest, RoutinesRememberTheFolderOfTheirPath) {
  folders_.remember_folder_of("order_export_path", "/out/o.dbf");
  EXPECT_EQ(folders_.read("order_export_path"), "/out");
  store_->write_dword(kHostSettingsKey, "waybill_export_path", 1);
  folders_.remember_folder_of("waybill_export_path", "/w.txt");
  EXPECT_EQ(folders_.read("waybill_export_path"), "/") << "a value of another type is replaced";
}

TEST_F(RememberedFoldersTest, WithoutTheHostsKeyTheFolderIsSimplyNotRemembered) {
  auto keyless = std::make_shared<MemorySettingsStore>();
  RememberedFolders(keyless).remember_folder_of("supplier_export_path", "/out/s.dbf");
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

TEST_F(RememberedFoldersTest, OtherFailuresOfTheStoreAreReported) {
  auto broken = std::make_shared<BrokenStore>();
  broken->create_key(kHostSettingsKey);
  EXPECT_THROW_MSG(
      RememberedFolders(broken).remember_folder_of("supplier_export_path", "/out/s.dbf"),
      SettingsError, "Failed to set data for 'supplier_export_path'");
}

TEST_F(RememberedFoldersTest, WithoutAStoreOfItsOwnTheProcesssStoreAtTheTimeIsUsed) {
  RememberedFolders process_wide;
  ScopedSettingsStore scope(store_);
  process_wide.remember_folder_of("order_export_path", "/out/o.dbf");
  EXPECT_EQ(store_->read_string(kHostSettingsKey, "order_export_path"), "/out");
  EXPECT_EQ(process_wide.read("order_export_path"), "/out");
}

}  // namespace
}  // namespace pharmex::host
