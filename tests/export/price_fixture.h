// Price-list host data for the price export tests, and a fixture that runs
// the price dialog as a user would.
#pragma once

#include <string>

#include "app/dialog_test_support.h"
#include "memhost/csv_reader.h"
#include "pharmex/pharmex.h"
#include "platform/headless_driver.h"

namespace pharmex::testing {

// Every column one of the three price layouts reads, and more.
inline const char* kPriceColumns =
    "suppliers_id:integer,art_id:integer,art_name:string(120),maker:string(60),"
    "country:string(30),box:float,dateworkfirst:date,dateworklast:date,price:float,nds:float,"
    "groups1_name:string(30),isadvertising:boolean,remainder:float,remainder_wait:float,"
    "ean13:string(13)\n";

inline const char* kAspirin =
    "3,50211,Аспирин Кардио таб. 100мг №28,Байер,Германия,28,2026-01-15,2029-01-15,156.4,10,"
    "Анальгетики,true,120,5,4008500121236\n";
inline const char* kBandage = "3,61023,Бинт стерильный 7м х 14см,Эвтекс,,1,,2030-06-01,,20,,,,,\n";

// Counts characters, not bytes: the tests pad UTF-8 texts as the table pads
// their one-byte OEM form.
inline std::string pad_right(const std::string& utf8, size_t width) {
  size_t characters = 0;
  for (unsigned char c : utf8)
    characters += (c & 0xC0) != 0x80;
  return utf8 + std::string(width - characters, ' ');
}

inline std::string pad_left(const std::string& text, size_t width) {
  return std::string(width - text.size(), ' ') + text;
}

class PriceExportFixture : public app::testing::DialogTest {
 protected:
  void TearDown() override {
    prices_ = {};
    DialogTest::TearDown();
  }

  void load(const std::string& rows, const std::string& columns = kPriceColumns) {
    prices_ = memhost::read_csv(columns + rows, "prices.csv");
  }

  // Opens the price dialog and confirms `name` in the test's folder with the
  // file type `index`.
  platform::DialogAnswer save_as(const std::string& name, int index) {
    host::Callbacks callbacks = host::testing::recording_callbacks();
    price_export(kHost, prices_.get(), callbacks.progress, callbacks.start, callbacks.finish);
    return platform::answer_dialog(toolkit(), root() + "/" + name, index);
  }

  std::string remembered() {
    return registry().read_string(platform::kHostSettingsKey, "price_export_path");
  }

  host::HostRef<memhost::MemoryDataSet> prices_;
};

}  // namespace pharmex::testing
