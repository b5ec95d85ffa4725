// The exported entry points, called as a host calls them: what each dialog
// offers, the names it proposes, the folders it remembers, and that every
// reference comes back and failures reach pharmex_last_error().
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/dialog_test_support.h"
#include "core/regional_settings.h"
#include "host/remembered_folders.h"
#include "memhost/csv_reader.h"
#include "pharmex/pharmex.h"
#include "platform/headless_driver.h"
#include "platform/text_codec.h"

namespace pharmex::app {
namespace {

using memhost::MemoryDataSet;
using testing::host_events;

std::string ansi(std::string_view utf8) {
  return platform::text_codec().utf8_to_ansi(utf8);
}

class EntryPointTest : public testing::DialogTest {
 protected:
  EntryPointTest()
      : first_(memhost::read_csv("art_id:integer\n1\n", "prices.csv")),
        main_(header_with_native_id("string(20)", "A-17")),
        lines_(memhost::read_csv("orderheads_id:integer\n1\n", "lines.csv")) {}

  void TearDown() override {
    for (MemoryDataSet* data : {first_.get(), main_.get(), lines_.get()})
      EXPECT_EQ(data->ref_count(), 1u) << "a reference was kept";
    first_.reset();
    main_.reset();
    lines_.reset();
    DialogTest::TearDown();
  }

  host::HostRef<MemoryDataSet> first_;
  host::HostRef<MemoryDataSet> main_;
  host::HostRef<MemoryDataSet> lines_;
};

// One dialog entry point and what its dialog must offer (texts in UTF-8).
struct DialogEntryCase {
  const char* label;
  std::function<void(PxWindow, IDataSet*, IDataSet*, IDataSet*)> call;
  std::string title;
  std::string confirm;
  std::vector<std::string> file_types;
  std::string proposed;
  std::string folder_value;
};

void PrintTo(const DialogEntryCase& c, std::ostream* os) {
  *os << c.label;
}

const std::string kDbf4 = "DBF 4 (dBaseIV)(*.dbf)|*.dbf";

class DialogEntryTest : public EntryPointTest,
                        public ::testing::WithParamInterface<DialogEntryCase> {
 protected:
  void call() { GetParam().call(kHost, first_.get(), main_.get(), lines_.get()); }
};

TEST_P(DialogEntryTest, ShowsTheKindsDialogInItsRememberedFolder) {
  const DialogEntryCase& c = GetParam();
  std::string folder = root() + "/" + c.label;
  std::filesystem::create_directory(folder);
  registry().write_string(platform::kHostSettingsKey, c.folder_value, folder);

  call();
  EXPECT_STREQ(pharmex_last_error(), "");
  platform::HeadlessShellForm& form = dialog();
  EXPECT_EQ(form.title(), c.title);
  EXPECT_EQ(form.btnOpen().caption(), c.confirm);
  std::vector<std::string> types;
  for (int i = 0; i < form.cbxFileTypes().count(); ++i) {
    platform::FileType type = form.cbxFileTypes().entry(i);
    types.push_back(type.description + "|" + type.mask);
  }
  std::vector<std::string> expected_types;
  for (const std::string& text : c.file_types)
    expected_types.push_back(ansi(text));
  EXPECT_EQ(types, expected_types);
  EXPECT_EQ(form.cbxFileTypes().item_index(), 0);
  EXPECT_EQ(form.edtFileName().text(), c.proposed);
  EXPECT_EQ(form.btnOpen().enabled(), !c.proposed.empty());
  EXPECT_EQ(form.folder(), folder);
  EXPECT_FALSE(toolkit().window_enabled(kHost));
  EXPECT_EQ(dialog_object().context().window(), kHost);

  form.press_escape();
  EXPECT_TRUE(toolkit().open_forms().empty());
  EXPECT_TRUE(toolkit().window_enabled(kHost));
  EXPECT_TRUE(host_events().empty());
}

TEST_P(DialogEntryTest, APreparationFailureReachesTheHostAndLeavesNothingBehind) {
  registry().write_dword(platform::kHostSettingsKey, GetParam().folder_value, 1);
  call();
  EXPECT_EQ(std::string(pharmex_last_error()),
            "Invalid data type for '" + GetParam().folder_value + "'");
  EXPECT_TRUE(toolkit().open_forms().empty());
  EXPECT_TRUE(toolkit().window_enabled(kHost));

  registry().delete_value(platform::kHostSettingsKey, GetParam().folder_value);
  call();
  EXPECT_STREQ(pharmex_last_error(), "") << "a successful call clears the last error";
  dialog().click_close_box();
}

TEST_P(DialogEntryTest, TheDialogHoldsItsOwnReferencesUntilItCloses) {
  call();
  EXPECT_EQ(main_->ref_count(), 2u);
  dialog().click_close_box();
  EXPECT_EQ(main_->ref_count(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DialogEntryTest,
    ::testing::Values(DialogEntryCase{"supplier",
                                      [](PxWindow w, IDataSet*, IDataSet* m, IDataSet*) {
                                        supplier_export(w, m, nullptr, nullptr, nullptr);
                                      },
                                      "Save As",
                                      "&Save",
                                      {kDbf4},
                                      "supplier.dbf",
                                      "supplier_export_path"},
                      DialogEntryCase{"price",
                                      [](PxWindow w, IDataSet*, IDataSet* m, IDataSet*) {
                                        price_export(w, m, nullptr, nullptr, nullptr);
                                      },
                                      "Save As",
                                      "&Save",
                                      {kDbf4, "Хабаровск (dBaseIV)(*.dbf)|*.dbf",
                                       "Юнико (dBaseIV)(*.dbf)|*.dbf"},
                                      "price.dbf",
                                      "price_export_path"},
                      DialogEntryCase{"order",
                                      [](PxWindow w, IDataSet*, IDataSet* m, IDataSet* l) {
                                        order_export(w, m, l, nullptr, nullptr, nullptr);
                                      },
                                      "Save As",
                                      "&Save",
                                      {kDbf4},
                                      "order_A-17.dbf",
                                      "order_export_path"},
                      DialogEntryCase{"waybill",
                                      [](PxWindow w, IDataSet*, IDataSet* m, IDataSet* l) {
                                        waybill_export(w, m, l, nullptr, nullptr, nullptr);
                                      },
                                      "Save As",
                                      "&Save",
                                      {kDbf4, "Е-Фарма(SST)(*.SST)|*.SST", "Аптека 2000W|*.txt",
                                       "GornyVershini|*.dbf", "Djinal|*.dbf", "Apteka M|*.dbf"},
                                      "waybill_A-17",
                                      "waybill_export_path"},
                      DialogEntryCase{"import",
                                      [](PxWindow w, IDataSet* f, IDataSet* m, IDataSet* l) {
                                        order_import(w, f, m, l, nullptr, nullptr, nullptr);
                                      },
                                      "Open",
                                      "&Open",
                                      {"DBF 4 импорт (dBaseIV)(*.dbf)|*.dbf",
                                       "Хабаровск импорт (dBaseIV)(*.dbf)|*.dbf",
                                       "Юнико импорт (dBaseIV)(*.dbf)|*.dbf"},
                                      "",
                                      "order_import_path"}),
    [](const auto& info) { return std::string(info.param.label); });

// The proposed names that read the header's "native_id".
struct NativeIdCase {
  const char* label;
  std::string csv_type;
  std::string cell;
  std::string order_name;
  std::string waybill_name;
};

void PrintTo(const NativeIdCase& c, std::ostream* os) {
  *os << c.label;
}

class NativeIdTest : public EntryPointTest, public ::testing::WithParamInterface<NativeIdCase> {};

TEST_P(NativeIdTest, ProposesTheNameFromATextNativeIdOnly) {
  const NativeIdCase& c = GetParam();
  main_ = header_with_native_id(c.csv_type, c.cell);
  order_export(kHost, main_.get(), lines_.get(), nullptr, nullptr, nullptr);
  EXPECT_EQ(dialog().edtFileName().text(), ansi(c.order_name));
  dialog().press_escape();
  waybill_export(kHost, main_.get(), lines_.get(), nullptr, nullptr, nullptr);
  EXPECT_EQ(dialog().edtFileName().text(), ansi(c.waybill_name));
  dialog().press_escape();
}

INSTANTIATE_TEST_SUITE_P(
    Values, NativeIdTest,
    ::testing::Values(
        NativeIdCase{"text", "string(20)", "A-17", "order_A-17.dbf", "waybill_A-17"},
        NativeIdCase{"cyrillic", "string(20)", "Н-5", "order_Н-5.dbf", "waybill_Н-5"},
        NativeIdCase{"dotted", "string(20)", "12.5", "order_12.5.dbf", "waybill_12.5"},
        NativeIdCase{"number", "integer", "17", "order.dbf", "waybill"},
        NativeIdCase{"date", "date", "2024-03-01", "order.dbf", "waybill"},
        NativeIdCase{"null", "string(20)", "", "order.dbf", "waybill"},
        // One file-name component, whatever the number holds.
        NativeIdCase{"parents", "string(20)", "/../../x", "order__.._.._x.dbf", "waybill__.._.._x"},
        NativeIdCase{"cyrillic_with_slash", "string(20)", "РН-123/45", "order_РН-123_45.dbf",
                     "waybill_РН-123_45"},
        NativeIdCase{"windows_refuses", "string(20)", "\"a\\b:c*d?e\"\"f<g>h|i\"",
                     "order_a_b_c_d_e_f_g_h_i.dbf", "waybill_a_b_c_d_e_f_g_h_i"},
        NativeIdCase{"control_characters", "string(20)", "\"A\t1\n2\x01\"", "order_A_1_2_.dbf",
                     "waybill_A_1_2_"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(EntryPointTest, AHeaderWithoutNativeIdProposesThePlainName) {
  auto headers = memhost::read_csv("id:integer\n1\n", "headers.csv");
  order_export(kHost, headers.get(), lines_.get(), nullptr, nullptr, nullptr);
  EXPECT_EQ(dialog().edtFileName().text(), "order.dbf");
  dialog().press_escape();
  order_export(kHost, nullptr, nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(dialog().edtFileName().text(), "order.dbf");
  dialog().press_escape();
}

TEST_F(EntryPointTest, AConfirmedOrderDialogRemembersItsFolderBeforeTheRoutine) {
  std::filesystem::create_directory(root() + "/out");
  // What the registry holds when the routine starts, and after it ran.
  static std::string at_start;
  at_start.clear();
  PxStartCallback start = [](PxWindow) {
    at_start = host::RememberedFolders().read("order_export_path");
  };
  order_export(kHost, main_.get(), lines_.get(), nullptr, start, nullptr);
  platform::DialogAnswer answer = platform::answer_dialog(toolkit(), root() + "/out/o.dbf");
  EXPECT_EQ(answer.outcome, platform::DialogAnswer::Outcome::kClosed) << answer.message;
  EXPECT_EQ(at_start, root() + "/out/");
  EXPECT_EQ(registry().read_string(platform::kHostSettingsKey, "order_export_path"),
            root() + "/out");
  order_export(kHost, main_.get(), lines_.get(), nullptr, nullptr, nullptr);
  EXPECT_EQ(dialog().folder(), root() + "/out");
  dialog().press_escape();
}

TEST_F(EntryPointTest, DialoglessEntryPointsGiveEveryReferenceBack) {
  // Failed runs give their references back as well: main_ has no price column.
  price_export_to_file(main_.get(), (root() + "/p.dbf").c_str());
  EXPECT_STREQ(pharmex_last_error(), "Field list is invalid");
  order_import_from_file(first_.get(), main_.get(), lines_.get(), nullptr);
  EXPECT_STREQ(pharmex_last_error(), "Table name missing");  // the reader got no path
  waybill_export_ToPath(kHost, main_.get(), lines_.get(), nullptr, nullptr, nullptr,
                        (root() + "/").c_str(), 0);
  EXPECT_STREQ(pharmex_last_error(), "The host data have no column 'price'");
  waybill_export_ToPath(kHost, main_.get(), lines_.get(), nullptr, nullptr, nullptr, nullptr, 9);
  EXPECT_TRUE(toolkit().open_forms().empty());
  EXPECT_TRUE(toolkit().window_events().empty()) << "no window is touched without a dialog";
  EXPECT_TRUE(host_events().empty());
}

TEST_F(EntryPointTest, EachDialogHasItsOwnObject) {
  supplier_export(kHost, main_.get(), nullptr, nullptr, nullptr);
  supplier_export(kHost + 1, main_.get(), nullptr, nullptr, nullptr);
  ASSERT_EQ(toolkit().open_forms().size(), 2u);
  EXPECT_EQ(main_->ref_count(), 3u);
  toolkit().open_forms()[0]->press_escape();
  EXPECT_TRUE(toolkit().window_enabled(kHost));
  EXPECT_FALSE(toolkit().window_enabled(kHost + 1));
  dialog().press_escape();
  EXPECT_TRUE(toolkit().window_enabled(kHost + 1));
}

// Failures are recorded only: there is no exception here that a host of any
// language would catch, so raising is refused rather than silently ignored.
TEST(FailureModeEntryTest, RecordingIsTheOnlyModeHere) {
  for (int32_t refused : {PX_FAILURE_RAISE, 2, -1}) {
    SCOPED_TRACE(refused);
    EXPECT_EQ(pharmex_set_failure_mode(refused), -1);
  }
  EXPECT_EQ(pharmex_set_failure_mode(PX_FAILURE_RECORD), PX_FAILURE_RECORD);
}

TEST(RegionalSettingsEntryTest, TheHostsSettingsFollowTheSettingsRule) {
  const RegionalSettings kStart{',', "dd.MM.yyyy", "H:mm:ss"};
  Service<const RegionalSettings>::Scoped restore(kStart);
  // Refused, each leaving both settings as they were.
  for (auto [separator, pattern] : std::vector<std::pair<const char*, const char*>>{
           {"12", nullptr},
           {"·", nullptr},
           {".", "dd.MM.yyyy г."},  // UTF-8 text in the ANSI pattern
           {".", "dd.MM.yyyy hh"},  // a letter no short date has
           {nullptr, "d.M.yyy"},
           {nullptr, "dd.MM"}}) {
    SCOPED_TRACE(std::string(separator ? separator : "-") + " " + (pattern ? pattern : "-"));
    EXPECT_EQ(pharmex_set_regional_settings(separator, pattern), -1);
    EXPECT_EQ(regional_settings(), kStart);
  }
  EXPECT_EQ(pharmex_set_regional_settings(".", nullptr), 0);
  EXPECT_EQ(pharmex_set_regional_settings(nullptr, "yyyy-MM-dd"), 0);
  EXPECT_EQ(regional_settings(), (RegionalSettings{'.', "yyyy-MM-dd", kStart.long_time_pattern}));
}

}  // namespace
}  // namespace pharmex::app
