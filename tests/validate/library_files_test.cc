// The property validate rests on: every file the library writes, in every
// layout, meets its layout, and validate recognises which layout it is. The
// files are those the reliability tests write (each layout's routine on the
// example host data, long texts in memos where the layout has them) and the
// example order files the import reads.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "host/run_test_support.h"
#include "reliability/layouts.h"
#include "validate/validate_support.h"

namespace pharmex::validate {
namespace {

using reliability::Layout;
using reliability::LayoutKind;

// The validate layout of each of the library's layouts.
const std::map<std::string, std::string>& validate_names() {
  static const std::map<std::string, std::string> names = {
      {"Suppliers", "supplier"},
      {"Orders", "order"},
      {"Prices", "price"},
      {"Khabarovsk prices", "price-khabarovsk"},
      {"Unico prices", "price-unico"},
      {"Waybill", "waybill"},
      {"E-Farma SST", "waybill-efarma-sst"},
      {"Apteka 2000W", "waybill-apteka2000w"},
      {"GornyVershini", "waybill"},
      {"Djinal", "waybill-djinal"},
      {"Apteka M", "waybill-apteka-m"},
      // The DBF 4 order is what the order export writes.
      {"DBF 4 import", "order"},
      {"Khabarovsk import", "import-khabarovsk"},
      {"Unico import", "import-unico"},
  };
  return names;
}

class LibraryFilesTest : public host::testing::RunTest,
                         public ::testing::WithParamInterface<Layout> {
 protected:
  // The file of the layout: written by its routine, or the example a reader reads.
  std::string file() {
    if (GetParam().kind == LayoutKind::kReader) {
      return reliability::example_path(GetParam().example_file);
    }
    const std::string path = root() + "/" + GetParam().file_name;
    host::RunContext run = context();
    GetParam().give_data(run);
    GetParam().routine(run, path);
    return path;
  }
};

TEST_P(LibraryFilesTest, MeetTheirLayoutAndAreRecognised) {
  const std::string path = file();
  const std::string& expected = validate_names().at(GetParam().name);
  const ValidationReport recognised = testing::validate(path);
  EXPECT_EQ(recognised.layout, expected) << testing::listed(recognised);
  EXPECT_EQ(testing::defects(recognised), 0u) << testing::listed(recognised);
  const ValidationReport named = testing::validate(path, expected);
  EXPECT_EQ(testing::defects(named), 0u) << testing::listed(named);
  if (GetParam().kind == LayoutKind::kReader) {
    // And as the order file its reader takes it for.
    static const std::map<std::string, std::string> kOrderFiles = {
        {"DBF 4 import", "import-dbf4"},
        {"Khabarovsk import", "import-khabarovsk"},
        {"Unico import", "import-unico"}};
    const ValidationReport order = testing::validate(path, kOrderFiles.at(GetParam().name));
    EXPECT_EQ(testing::defects(order), 0u) << testing::listed(order);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, LibraryFilesTest,
                         ::testing::ValuesIn(reliability::all_layouts()),
                         [](const ::testing::TestParamInfo<Layout>& info) {
                           return reliability::test_name(info.param.name);
                         });

}  // namespace
}  // namespace pharmex::validate
