#include "host/field_name_rule.h"

#include <gtest/gtest.h>

namespace pharmex::host {
namespace {

struct NameCase {
  const char* column;
  const char* field;
};

class FieldNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(FieldNameTest, ShortensKnownColumnsIgnoringCase) {
  EXPECT_EQ(field_name_for_column(GetParam().column), GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FieldNameTest,
    ::testing::Values(NameCase{"MAKERPRICE", "MkPrice"}, NameCase{"makerprice", "MkPrice"},
                      NameCase{"suppliers_id", "suppl_id"}, NameCase{"OrderHeads_ID", "order_h_id"},
                      NameCase{"Round_MakerPrice_without_nds", "RndMkPrOutNds"},
                      NameCase{"price_without_nds", "PrWOutNds"}, NameCase{"art_id", "art_id"},
                      NameCase{"remainder_waits", "remainder_waits"}, NameCase{"", ""}));

}  // namespace
}  // namespace pharmex::host
