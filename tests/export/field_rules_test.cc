#include "export/field_rules.h"

#include <gtest/gtest.h>

#include "host/host_dataset.h"
#include "memhost/csv_reader.h"

namespace pharmex::exporting {
namespace {

struct TypeCase {
  uint8_t type;
  int32_t size;
  const char* spec;
};

class TypeSpecificationTest : public ::testing::TestWithParam<TypeCase> {};

TEST_P(TypeSpecificationTest, FollowsTheTypeTable) {
  EXPECT_EQ(type_specification(GetParam().type, GetParam().size), GetParam().spec);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TypeSpecificationTest,
    ::testing::Values(TypeCase{ftString, 60, "C;60;0"}, TypeCase{ftString, 254, "C;254;0"},
                      TypeCase{ftString, 255, "C;254;0"}, TypeCase{ftString, 256, "M;0;0"},
                      TypeCase{ftWideString, 1, "C;1;0"}, TypeCase{ftFixedChar, 10, "C;10;0"},
                      TypeCase{ftFixedWideChar, 300, "M;0;0"}, TypeCase{ftString, 0, ""},
                      TypeCase{ftString, -5, ""}, TypeCase{ftSmallint, 0, "N;6;0"},
                      TypeCase{ftWord, 0, "N;6;0"}, TypeCase{ftInteger, 0, "N;11;0"},
                      TypeCase{ftLargeint, 0, "N;20;0"}, TypeCase{ftBoolean, 0, "L;0;0"},
                      TypeCase{ftFloat, 0, "F;20;2"}, TypeCase{ftCurrency, 0, "F;20;2"},
                      TypeCase{ftBCD, 0, "N;20;2"}, TypeCase{ftFMTBcd, 0, "N;20;2"},
                      TypeCase{ftDate, 0, "D;0;0"}, TypeCase{ftTime, 0, "D;0;0"},
                      TypeCase{ftDateTime, 0, "D;0;0"}, TypeCase{ftMemo, 0, "M;0;0"},
                      TypeCase{ftWideMemo, 0, "M;0;0"}, TypeCase{ftBlob, 0, "B;0;0"},
                      TypeCase{ftGraphic, 0, "B;0;0"}, TypeCase{ftTypedBinary, 0, "B;0;0"},
                      TypeCase{ftDBaseOle, 0, "O;0;0"}, TypeCase{ftAutoInc, 0, ""},
                      TypeCase{ftUnknown, 0, ""}, TypeCase{ftParadoxOle, 0, ""},
                      TypeCase{ftTimeStamp, 0, ""}, TypeCase{ftOraInterval, 0, ""},
                      TypeCase{127, 0, ""}, TypeCase{128 + ftInteger, 0, "N;11;0"}));

TEST(FieldSpecificationTest, JoinsMappedNameAndType) {
  auto data = memhost::read_csv(
      "suppliers_id:integer,art_name:string(80),id:autoinc,Name:string(60)\n", "t.csv");
  host::HostDataSet view(data);
  EXPECT_EQ(field_specification(view.field(0)), "suppl_id;N;11;0");
  EXPECT_EQ(field_specification(view.field(1)), "art_name;C;80;0");
  EXPECT_EQ(field_specification(view.field(2)), "");
  EXPECT_EQ(field_specification(view.field(3)), "Name;C;60;0");
}

}  // namespace
}  // namespace pharmex::exporting
