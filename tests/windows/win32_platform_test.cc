// The Windows backends' own rules: paths with drives, UNC roots and both
// separators, long and Cyrillic paths at the file system, the system's code
// pages and regional settings, local time, the operations on windows,
// the services' Windows defaults, and a table another program holds open.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/error.h"
#include "core/regional_settings.h"
#include "core/service.h"
#include "core/variant.h"
#include "dbf/create_dbf_dataset.h"
#include "dbf/dbf_dataset.h"
#include "host/remembered_folders.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "platform/locale_settings.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "platform/text_codec.h"
#include "platform/toolkit.h"
#include "platform/toolkit_file_name.h"
#include "platform/win32_registry_store.h"
#include "platform/win32_toolkit.h"
#include "platform/win32_window_operations.h"
#include "testing/test_support.h"

namespace pharmex::platform {
namespace {

struct FolderCase {
  const char* path;
  const char* folder;     // extract_file_dir: what a routine remembers
  const char* separated;  // extract_file_path: up to and including the separator
  const char* name;
};

class Win32FolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(Win32FolderTest, SplitsAtTheLastSeparatorOrDrive) {
  const FolderCase& c = GetParam();
  EXPECT_EQ(extract_file_dir(c.path), c.folder);
  EXPECT_EQ(host::folder_of(c.path), c.folder);
  EXPECT_EQ(extract_file_path(c.path), c.separated);
  EXPECT_EQ(extract_file_name(c.path), c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Win32FolderTest,
    ::testing::Values(FolderCase{"C:\\dir\\a.dbf", "C:\\dir", "C:\\dir\\", "a.dbf"},
                      FolderCase{"C:\\a.dbf", "C:\\", "C:\\", "a.dbf"},
                      FolderCase{"C:a.dbf", "C:", "C:", "a.dbf"},
                      FolderCase{"a.dbf", "", "", "a.dbf"},
                      FolderCase{"C:/dir/sub/a.dbf", "C:/dir/sub", "C:/dir/sub/", "a.dbf"},
                      FolderCase{"\\\\server\\share\\a.dbf", "\\\\server\\share",
                                 "\\\\server\\share\\", "a.dbf"},
                      FolderCase{"\\a.dbf", "\\", "\\", "a.dbf"},
                      FolderCase{"C:\\out\\", "C:\\out", "C:\\out\\", ""}));

struct ExpandCase {
  const char* path;
  const char* expanded;  // "~" stands for the current folder, "@" for its drive
};

class Win32ExpandTest : public ::testing::TestWithParam<ExpandCase> {};

TEST_P(Win32ExpandTest, ResolvesAgainstTheCurrentFolderAndItsDrive) {
  std::string here = current_directory();
  std::string expected = GetParam().expanded;
  if (expected[0] == '~') expected = here + expected.substr(1);
  if (expected[0] == '@') expected = here.substr(0, 2) + expected.substr(1);
  EXPECT_EQ(expand_file_name(GetParam().path), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Win32ExpandTest,
    ::testing::Values(ExpandCase{"C:\\a\\b\\c.dbf", "C:\\a\\b\\c.dbf"},
                      ExpandCase{"C:/a/./b/", "C:\\a\\b\\"}, ExpandCase{"C:\\a\\..\\b", "C:\\b"},
                      ExpandCase{"C:\\..\\..", "C:\\"}, ExpandCase{"C:\\", "C:\\"},
                      ExpandCase{"c:\\A\\\\B", "c:\\A\\B"},
                      ExpandCase{"\\\\srv\\share\\a\\..\\b", "\\\\srv\\share\\b"},
                      ExpandCase{"\\\\srv\\share\\..", "\\\\srv\\share"},
                      ExpandCase{"x.dbf", "~\\x.dbf"}, ExpandCase{".\\x\\..\\y.dbf", "~\\y.dbf"},
                      ExpandCase{"\\top.dbf", "@\\top.dbf"}));

TEST(Win32PathsTest, RootsAndAbsolutePaths) {
  EXPECT_EQ(root_length("C:\\x"), 3u);
  EXPECT_EQ(root_length("C:x"), 2u);
  EXPECT_EQ(root_length("\\x"), 1u);
  EXPECT_EQ(root_length("\\\\server\\share\\x"), 14u);
  EXPECT_EQ(root_length("x\\y"), 0u);
  EXPECT_TRUE(is_absolute_path("C:\\x"));
  EXPECT_TRUE(is_absolute_path("d:/x"));
  EXPECT_TRUE(is_absolute_path("\\\\server\\share"));
  EXPECT_FALSE(is_absolute_path("C:x"));
  EXPECT_FALSE(is_absolute_path("\\x"));
  EXPECT_FALSE(is_absolute_path("x"));
  EXPECT_EQ(path_separator(), '\\');
}

TEST(Win32PathsTest, NamesTheSystemReservesAreInvalid) {
  EXPECT_TRUE(is_valid_file_name("C:\\out\\supplier.dbf"));
  EXPECT_TRUE(is_valid_file_name("\xC7\xE0\xEA\xE0\xE7.dbf"));  // "Заказ.dbf" in 1251
  for (const char* name : {"a<b.dbf", "a>b", "a|b", "a\"b", "x\\a:b", "CON", "con.txt", "LPT1.dbf",
                           "NUL", "name.", "name ", "C:\\out\\aux\\x.dbf"}) {
    EXPECT_FALSE(is_valid_file_name(name)) << name;
  }
  EXPECT_TRUE(is_valid_file_name(std::string(255, 'a')));
  EXPECT_FALSE(is_valid_file_name(std::string(256, 'a')));
}

TEST(Win32PathsTest, NamesTypedInTheDialogAreTakenInItsFolder) {
  EXPECT_EQ(resolve_in_folder("C:\\dir", "a.dbf"), "C:\\dir\\a.dbf");
  EXPECT_EQ(resolve_in_folder("C:\\dir", "D:\\x\\a.dbf"), "D:\\x\\a.dbf");
  EXPECT_EQ(resolve_in_folder("C:\\dir", "sub/b.dbf"), "C:\\dir\\sub\\b.dbf");
  EXPECT_EQ(resolve_in_folder("C:\\dir", ".."), "C:\\");
  EXPECT_EQ(resolve_in_folder("C:\\", ".."), "C:\\");
}

// A Cyrillic folder name in ANSI reaches the system as the same letters.
TEST(Win32FilesTest, AnsiPathsBecomeUtf16) {
  testing::TempDir dir;
  std::string folder = dir.path().string() + "\\\xCF\xE0\xEF\xEA\xE0";  // "Папка"
  ASSERT_TRUE(::CreateDirectoryW((dir.path() / L"Папка").c_str(), nullptr));
  std::string file = folder + "\\\xC7\xE0\xEA\xE0\xE7.dbf";  // "Заказ.dbf"
  ASSERT_TRUE(win32_file_system().create(file));
  EXPECT_NE(::GetFileAttributesW((dir.path() / L"Папка" / L"Заказ.dbf").c_str()),
            INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(file_exists(file));
  EXPECT_TRUE(directory_exists(folder));
  EXPECT_TRUE(can_enter_directory(folder));
  EXPECT_EQ(ansi_file_name(filesystem_path(file).filename()), "\xC7\xE0\xEA\xE0\xE7.dbf");
}

// Paths beyond the classic limit of 260 characters work as far as the
// system allows.
TEST(Win32FilesTest, LongPathsWork) {
  testing::TempDir dir;
  std::string path = dir.path().string();
  while (path.size() < 400) {
    path += "\\" + std::string(40, 'd');
    ASSERT_TRUE(
        ::CreateDirectoryW((L"\\\\?\\" + std::filesystem::path(path).wstring()).c_str(), nullptr))
        << path.size();
  }
  std::string file = path + "\\table.dbf";
  ASSERT_TRUE(win32_file_system().create(file));
  auto opened = win32_file_system().open(file, FileAccess::kReadWrite, FileSharing::kShared);
  ASSERT_NE(opened, nullptr);
  std::string data = "long";
  EXPECT_EQ(opened->write_at(0, std::span<const char>(data)), 4u);
  opened->close();
  EXPECT_TRUE(file_exists(file));
  EXPECT_TRUE(win32_file_system().rename(file, path + "\\renamed.dbf"));
  EXPECT_TRUE(win32_file_system().remove(path + "\\renamed.dbf"));
}

TEST(Win32FilesTest, RenameReplacesAnExistingTarget) {
  testing::TempDir dir;
  testing::write_file(dir.file("new.txt"), "new");
  testing::write_file(dir.file("old.txt"), "old");
  EXPECT_TRUE(win32_file_system().rename(dir.file("new.txt"), dir.file("old.txt")));
  EXPECT_EQ(testing::read_file(dir.file("old.txt")), "new");
  EXPECT_FALSE(file_exists(dir.file("new.txt")));
}

// Another program has yesterday's table open, as programs on Windows do,
// without delete sharing: the new table cannot take its place. The export
// fails with the engine's message, yesterday's table stays, and nothing is
// left of the new one. Once the other program lets go, it goes through.
TEST(Win32FilesTest, ATableOpenInAnotherProgramKeepsItsPlace) {
  testing::TempDir dir;
  const std::string target = dir.file("waybill.dbf");
  testing::write_file(target, "yesterday's");
  HANDLE other = ::CreateFileW((dir.path() / L"waybill.dbf").c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  auto export_table = [&](bool with_memo) {
    dbf::TDbfDataSet table;
    table.SetTableName(target);
    dbf::TCreateDbfDataSet creator;
    creator.SetDBFTable(&table);
    creator.SetDBFType(dbf::TDbfTypes::DBaseIV);
    creator.SetAutoOverwrite(true);
    creator.SetWriteAside(true);
    std::vector<std::string> fields = {"NAME;C;10;0"};
    if (with_memo) fields.emplace_back("NOTE;M;0;0");
    creator.SetCreateFields(fields);
    creator.CreateTable();
    table.Append();
    table.FieldByName("NAME").SetValue(Variant::ascii("new"));
    table.Post();
    table.Commit();
  };
  for (bool with_memo : {false, true}) {
    SCOPED_TRACE(with_memo ? "with a memo file" : "without");
    EXPECT_THROW_MSG(export_table(with_memo), DbfError, "Error on Rename of file " + target);
    EXPECT_EQ(testing::read_file(target), "yesterday's");
    EXPECT_EQ(testing::folder_entries(dir.path()), std::vector<std::string>{"waybill.dbf"});
  }
  ::CloseHandle(other);
  export_table(true);
  EXPECT_EQ(testing::read_file(target).substr(0, 1), "\x8B");
  EXPECT_EQ(testing::folder_entries(dir.path()),
            (std::vector<std::string>{"waybill.dbf", "waybill.dbt"}));
}

TEST(Win32FilesTest, DevicesAreNoFiles) {
  EXPECT_EQ(win32_file_system().open("CON", FileAccess::kRead, FileSharing::kShared), nullptr);
  EXPECT_EQ(win32_file_system().open("NUL", FileAccess::kRead, FileSharing::kShared), nullptr);
}

TEST(Win32CodePagesTest, PagesTheLibraryLacksComeFromTheSystem) {
  const CodePage* greek = CodePage::find(1253);
  ASSERT_NE(greek, nullptr);
  EXPECT_EQ(greek->to_unicode(0xC1), u'\u0391');  // Α
  EXPECT_EQ(greek->to_upper(0xE1), 0xC1);         // α → Α
  EXPECT_EQ(greek->from_unicode(u'\u03A9'), 0xD9);
  TextCodec codec(1253, 737);
  EXPECT_EQ(codec.ansi_to_oem("\xC1\xE1"), "\x80\x98");  // Αα in 737
  EXPECT_EQ(CodePage::find(932), nullptr) << "not single-byte";
  EXPECT_EQ(CodePage::find(12345), nullptr);
}

TEST(Win32RegionalSettingsTest, ComeFromTheLocale) {
  RegionalSettings russian = regional_settings_from_locales("ru-RU", "ru-RU");
  EXPECT_EQ(russian.decimal_separator, ',');
  EXPECT_EQ(russian.short_date_pattern, "dd.MM.yyyy");
  RegionalSettings american = regional_settings_from_locales("en-US", "en-US");
  EXPECT_EQ(american.decimal_separator, '.');
  EXPECT_EQ(american.short_date_pattern, "M/d/yyyy");
  RegionalSettings mixed = regional_settings_from_locales("en-US", "ru-RU");
  EXPECT_EQ(mixed.decimal_separator, '.');
  EXPECT_EQ(mixed.short_date_pattern, "dd.MM.yyyy");
  EXPECT_EQ(regional_settings_from_locales("xx-XX", ""), RegionalSettings{});
}

TEST(Win32RegionalSettingsTest, TheUsersSettingsAreTheSystemsAnswer) {
  wchar_t separator[8] = {};
  ASSERT_GT(::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8), 0);
  RegionalSettings user = regional_settings_from_environment();
  EXPECT_EQ(static_cast<wchar_t>(user.decimal_separator), separator[0]);
}

TEST(Win32ClockTest, ShowsTheLocalTime) {
  SYSTEMTIME before;
  ::GetLocalTime(&before);
  DateParts now = system_clock().now();
  SYSTEMTIME after;
  ::GetLocalTime(&after);
  EXPECT_TRUE(now.year == before.wYear || now.year == after.wYear);
  EXPECT_TRUE(now.day == before.wDay || now.day == after.wDay);
  EXPECT_TRUE(now.hour == before.wHour || now.hour == after.wHour);
}

// The default a service makes when its slot is empty; the slot gets back
// what it held after.
template <class T>
std::shared_ptr<T> fresh_default() {
  typename Service<T>::Scoped empty(nullptr);
  return Service<T>::current();
}

TEST(Win32DefaultsTest, EachServiceStartsWithItsWindowsBackend) {
  EXPECT_EQ(fresh_default<FileSystem>().get(), &win32_file_system());
  EXPECT_EQ(fresh_default<Clock>().get(), &system_clock());
  EXPECT_NE(std::dynamic_pointer_cast<Win32RegistryStore>(fresh_default<SettingsStore>()), nullptr);
  EXPECT_NE(std::dynamic_pointer_cast<Win32Toolkit>(fresh_default<Toolkit>()), nullptr);
  EXPECT_EQ(*fresh_default<const RegionalSettings>(), regional_settings_from_environment());
  std::shared_ptr<const TextCodec> codec = fresh_default<const TextCodec>();
  EXPECT_EQ(codec->ansi().number(), static_cast<int>(::GetACP()));
  EXPECT_EQ(codec->oem().number(), static_cast<int>(::GetOEMCP()));
}

// A window of this thread, destroyed with the object.
class TestWindow {
 public:
  TestWindow()
      : window_(::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, nullptr, nullptr)) {}
  ~TestWindow() {
    if (window_ != nullptr) ::DestroyWindow(window_);
  }
  HWND get() const { return window_; }
  WindowHandle handle() const { return reinterpret_cast<WindowHandle>(window_); }

 private:
  HWND window_;
};

TEST(Win32WindowOperationsTest, EnablesAndDisablesTheHostWindow) {
  TestWindow host;
  ASSERT_NE(host.get(), nullptr);
  Win32WindowOperations::enable_window(host.handle(), false);
  EXPECT_FALSE(::IsWindowEnabled(host.get()));
  EXPECT_FALSE(Win32WindowOperations::window_enabled(host.handle()));
  Win32WindowOperations::enable_window(host.handle(), true);
  EXPECT_TRUE(::IsWindowEnabled(host.get()));
  Win32WindowOperations::enable_window(0, false);  // no window: nothing happens
  Win32WindowOperations::bring_window_to_top(0);
}

TEST(Win32WindowOperationsTest, AnswersWithTheActiveWindow) {
  TestWindow host;
  ASSERT_NE(host.get(), nullptr);
  ::ShowWindow(host.get(), SW_SHOW);
  ::SetActiveWindow(host.get());
  EXPECT_EQ(Win32WindowOperations::active_window(),
            reinterpret_cast<WindowHandle>(::GetActiveWindow()));
  Win32WindowOperations::bring_window_to_top(host.handle());
  EXPECT_TRUE(::IsWindow(host.get()));
}

// The error box shows the message under "Error"; a second thread reads it as
// a user would and presses OK.
TEST(Win32WindowOperationsTest, TheErrorBoxShowsTheMessage) {
  std::atomic<bool> seen{false};
  std::wstring text;
  std::thread user([&] {
    for (int attempt = 0; attempt < 200 && !seen; ++attempt) {
      HWND box = ::FindWindowW(L"#32770", L"Error");
      if (box != nullptr) {
        wchar_t shown[128] = {};
        ::GetDlgItemTextW(box, 0xFFFF, shown, 128);
        text = shown;
        seen = true;
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        return;
      }
      ::Sleep(50);
    }
  });
  // "Файл занят" in code page 1251.
  Win32WindowOperations::show_error(0, "\xD4\xE0\xE9\xEB \xE7\xE0\xED\xFF\xF2");
  user.join();
  EXPECT_TRUE(seen);
  EXPECT_EQ(text, L"Файл занят");
}

}  // namespace
}  // namespace pharmex::platform
