#include "platform/file_settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "core/error.h"
#include "platform/memory_settings_store.h"
#include "platform/scoped_env.h"
#include "testing/test_support.h"

namespace pharmex::platform {
namespace {

const std::string kKey = "Software\\kestrova";
const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";
const std::string kSection = "[HKEY_CURRENT_USER\\Software\\kestrova]\n";

using testing::ScopedEnv;

class FileSettingsStoreTest : public ::testing::Test {
 protected:
  std::string root() const { return dir_.file("registry"); }
  std::string key_path() const { return root() + "/Software/kestrova.reg"; }
  // Makes the key's file hold exactly `text`.
  void put(const std::string& text) {
    store_.create_key(kKey);
    testing::write_file(key_path(), text);
  }
  std::string text() const { return testing::read_file(key_path()); }

  testing::TempDir dir_;
  FileSettingsStore store_{root()};
};

TEST_F(FileSettingsStoreTest, EachKeyIsOneFileUnderTheRoot) {
  EXPECT_EQ(store_.key_file(kKey), key_path());
  EXPECT_EQ(store_.key_file("Software"), root() + "/Software.reg");
  EXPECT_EQ(store_.key_file("Software\\.."), "");
  EXPECT_EQ(FileSettingsStore(root() + "//").root(), root());

  store_.create_key(kKey);
  EXPECT_TRUE(std::filesystem::is_regular_file(key_path()));
  EXPECT_TRUE(std::filesystem::is_regular_file(root() + "/Software.reg"));
  EXPECT_EQ(text(), kHeader + kSection);
  std::filesystem::remove(key_path());
  EXPECT_FALSE(store_.key_exists(kKey));
}

TEST_F(FileSettingsStoreTest, CyrillicKeyNamesBecomeUtf8FileNames) {
  store_.create_key("Software\\\xC0\xEF\xF2\xE5\xEA\xE0");  // "Аптека" in 1251
  EXPECT_TRUE(std::filesystem::is_regular_file(root() + "/Software/Аптека.reg"));
  EXPECT_EQ(testing::read_file(root() + "/Software/Аптека.reg"),
            kHeader + "[HKEY_CURRENT_USER\\Software\\Аптека]\n");
}

TEST_F(FileSettingsStoreTest, WritesTheTextOfARegistryExport) {
  store_.create_key(kKey);
  store_.write_string(kKey, "supplier_export_path", "C:\\out \"new\"");
  store_.write_string(kKey, "order_export_path", "/home/\xC0\xED\xED\xE0 \xB9 2");  // "Анна № 2"
  store_.write_dword(kKey, "count", 31);
  store_.write_qword(kKey, "stamp", 1000000);
  store_.write_binary(kKey, "blob", std::string("\x01\xFF\x00", 3));
  store_.write_value(kKey, "expand", SettingsValue::other(0x2, std::string("%\0", 2)));
  store_.write_string(kKey, "", std::string("two\nlines\r\0", 11));
  EXPECT_EQ(text(), kHeader + kSection +
                        "\"supplier_export_path\"=\"C:\\\\out \\\"new\\\"\"\n"
                        "\"order_export_path\"=\"/home/Анна № 2\"\n"
                        "\"count\"=dword:0000001f\n"
                        "\"stamp\"=qword:00000000000f4240\n"
                        "\"blob\"=hex:01,ff,00\n"
                        "\"expand\"=hex(2):25,00\n"
                        "@=\"two\\nlines\\r\\0\"\n");
}

TEST_F(FileSettingsStoreTest, ReadsWhatRegeditWrites) {
  // UTF-16LE with its mark and CRLF line ends, a wrapped hex value, typed hex
  // forms, comments and the default value.
  std::u16string source =
      u"Windows Registry Editor Version 5.00\r\n\r\n"
      u"; exported\r\n"
      u"[HKEY_CURRENT_USER\\SOFTWARE\\Kestrova]\r\n"
      u"@=\"default\"\r\n"
      u"\"order_import_path\"=\"D:\\\\Заказы\"\r\n"
      u"\"long\"=hex:01,02,\\\r\n"
      u"  03,04\r\n"
      u"\"d\"=hex(4):1f,00,00,00\r\n"
      u"\"q\"=hex(b):01,00,00,00,00,00,00,80\r\n"
      u"\"multi\"=hex(7):61,00,00,00\r\n"
      u"\"D2\" = dword:1F\r\n";
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : source) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  put(bytes);
  std::vector<NamedSettingsValue> expected = {
      {"", SettingsValue::string("default")},
      {"order_import_path", SettingsValue::string("D:\\\xC7\xE0\xEA\xE0\xE7\xFB")},
      {"long", SettingsValue::binary("\x01\x02\x03\x04")},
      {"d", SettingsValue::dword(31)},
      {"q", SettingsValue::qword(0x8000000000000001ull)},
      {"multi", SettingsValue::other(7, std::string("a\0\0\0", 4))},
      {"D2", SettingsValue::dword(31)},
  };
  EXPECT_EQ(store_.read_values(kKey), expected);
}

TEST_F(FileSettingsStoreTest, RewritingKeepsCommentsAndOtherKeysSections) {
  put("\xEF\xBB\xBFWindows Registry Editor Version 5.00\n"
      "\n"
      "; the host's settings\n" +
      kSection +
      "\"a\"=\"1\"\n"
      "; keep me\n"
      "\n"
      "[HKEY_CURRENT_USER\\Software\\other]\n"
      "\"a\"=anything goes here\n");
  store_.write_string(kKey, "b", "2");
  store_.write_string(kKey, "A", "3");
  EXPECT_EQ(text(),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "; the host's settings\n" +
                kSection +
                "\"a\"=\"3\"\n"
                "\"b\"=\"2\"\n"
                "; keep me\n"
                "\n"
                "[HKEY_CURRENT_USER\\Software\\other]\n"
                "\"a\"=anything goes here\n");
}

TEST_F(FileSettingsStoreTest, AFileWithoutTheKeysSectionGetsOne) {
  put("Windows Registry Editor Version "
      "5.00\n\n[HKEY_CURRENT_USER\\Software\\other]\n\"x\"=\"1\"\n");
  EXPECT_EQ(store_.read_string(kKey, "x"), "");
  store_.write_string(kKey, "x", "2");
  EXPECT_EQ(text(), kHeader + "[HKEY_CURRENT_USER\\Software\\other]\n\"x\"=\"1\"\n\n" + kSection +
                        "\"x\"=\"2\"\n");
}

TEST_F(FileSettingsStoreTest, AnEmptyFileIsAKeyWithoutValues) {
  put("");
  EXPECT_TRUE(store_.key_exists(kKey));
  EXPECT_EQ(store_.read_string(kKey, "x"), "");
  store_.write_string(kKey, "x", "1");
  EXPECT_EQ(text(), kHeader + kSection + "\"x\"=\"1\"\n");
}

TEST_F(FileSettingsStoreTest, ALaterLineOfTheSameNameWins) {
  put(kHeader + kSection + "\"x\"=\"1\"\n\"X\"=\"2\"\n");
  EXPECT_EQ(store_.read_string(kKey, "x"), "2");
  store_.write_string(kKey, "y", "3");
  EXPECT_EQ(text(), kHeader + kSection + "\"x\"=\"2\"\n\"y\"=\"3\"\n");
}

TEST_F(FileSettingsStoreTest, RewritingKeepsTheFilesModeAndLeavesNoTemporaryFile) {
  store_.create_key(kKey);
  ASSERT_EQ(::chmod(key_path().c_str(), 0640), 0);
  for (int i = 0; i < 3; ++i)
    store_.write_string(kKey, "x", std::to_string(i));
  struct stat info {};
  ASSERT_EQ(::stat(key_path().c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  int entries = 0;
  for (const auto& entry : std::filesystem::directory_iterator(root() + "/Software")) {
    EXPECT_EQ(entry.path().filename().string(), "kestrova.reg");
    ++entries;
  }
  EXPECT_EQ(entries, 1);
}

struct DamageCase {
  const char* body;  // after the header line, which is line 1
  int line;
  const char* what;
};

class DamagedFileTest : public FileSettingsStoreTest,
                        public ::testing::WithParamInterface<DamageCase> {};

TEST_P(DamagedFileTest, IsReportedWithItsLineAndLeftAlone) {
  const DamageCase& damage = GetParam();
  std::string original = "Windows Registry Editor Version 5.00\n" + std::string(damage.body);
  put(original);
  std::string message = "Damaged settings file " + key_path() + ", line " +
                        std::to_string(damage.line) + ": " + damage.what;
  EXPECT_THROW_MSG(store_.read_string(kKey, "a"), SettingsError, message);
  EXPECT_THROW_MSG(store_.write_string(kKey, "a", "1"), SettingsError, message);
  EXPECT_EQ(text(), original);
}

const DamageCase kDamage[] = {
    {"\"a\"=\"1\"\n", 2, "a value outside a key section"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova\n", 2, "a key section without its closing \"]\""},
    {"\n[HKEY_CURRENT_USER\\Software\\kestrova]\n\"a\"=\"1\n", 4, "unterminated quoted text"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova]\n\"a\"=\"C:\\out\"\n", 3,
     "unknown escape \"\\o\" (write \\\\ for \"\\\")"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova]\n\"a\"\"1\"\n", 3,
     "expected \"=\" after the value name"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova]\n\"a\"=\"1\" x\n", 3, "text after the closing quote"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova]\n\"a\"=-\n", 3, "unknown value type"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova]\n\"a\"=dword:123456789\n", 3,
     "a number of 1 to 8 hex digits expected"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova]\n\"a\"=qword:xyz\n", 3,
     "a number of 1 to 16 hex digits expected"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova]\n\"a\"=hex:01,2\n", 3,
     "hex bytes separated by commas expected"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova]\n\"a\"=hex:01,\\\n\n", 3,
     "hex bytes separated by commas expected"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova]\n\"a\"=hex(4):01,02\n", 3,
     "a dword value needs 4 bytes"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova]\n\"a\"=hex(b):01\n", 3,
     "a qword value needs 8 bytes"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova]\n\"a\"=hex(4:01\n", 3,
     "expected \"):\" after the value type"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova]\n\"a\"=\"\xC7\xE0\"\n", 3, "not UTF-8 text"},
    {"[HKEY_CURRENT_USER\\Software\\kestrova]\nsupplier_export_path=/out\n", 3,
     "unrecognised line"},
};

INSTANTIATE_TEST_SUITE_P(Lines, DamagedFileTest, ::testing::ValuesIn(kDamage));

TEST_F(FileSettingsStoreTest, AFileWithoutTheHeaderIsDamaged) {
  put("\n[HKEY_CURRENT_USER\\Software\\kestrova]\n");
  EXPECT_THROW_MSG(store_.read_string(kKey, "a"), SettingsError,
                   "Damaged settings file " + key_path() +
                       ", line 2: expected \"Windows Registry Editor Version 5.00\"");
  put("\xFF\xFE\x41");
  EXPECT_THROW_MSG(
      store_.read_string(kKey, "a"), SettingsError,
      "Damaged settings file " + key_path() + ", line 1: UTF-16 text of an odd length");
}

TEST_F(FileSettingsStoreTest, TheRootComesFromTheEnvironment) {
  struct Case {
    const char* registry;
    const char* config;
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/srv/reg", "/cfg", "/home/a", "/srv/reg"},
      {"", "/cfg/", "/home/a", "/cfg/pharmex/registry"},
      {nullptr, "/cfg", "/home/a", "/cfg/pharmex/registry"},
      {nullptr, "relative", "/home/a", "/home/a/.config/pharmex/registry"},
      {nullptr, nullptr, "/home/a/", "/home/a/.config/pharmex/registry"},
  };
  for (const Case& c : cases) {
    ScopedEnv registry("PHARMEX_REGISTRY", c.registry);
    ScopedEnv config("XDG_CONFIG_HOME", c.config);
    ScopedEnv home("HOME", c.home);
    EXPECT_EQ(FileSettingsStore::default_root(), c.expected);
  }
}

TEST_F(FileSettingsStoreTest, TheProcessWideStoreIsTheDefaultFileStoreUnlessReplaced) {
  ScopedEnv registry("PHARMEX_REGISTRY", root().c_str());
  auto memory = std::make_shared<MemorySettingsStore>();
  {
    Service<SettingsStore>::Scoped scoped(memory);
    EXPECT_EQ(settings_store(), memory);
    Service<SettingsStore>::set(nullptr);  // back to the default, made anew from the environment
    auto* file = dynamic_cast<FileSettingsStore*>(settings_store().get());
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->root(), root());
    store_.create_key(kKey);
    store_.write_string(kKey, "waybill_export_path", "/w");
    EXPECT_EQ(settings_store()->read_string(kKey, "waybill_export_path"), "/w");
  }
  EXPECT_NE(settings_store(), memory);
  Service<SettingsStore>::set(nullptr);  // leave no store behind on the temporary folder
}

}  // namespace
}  // namespace pharmex::platform
