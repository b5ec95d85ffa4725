#include "memhost/locate_index.h"

#include <gtest/gtest.h>

#include <random>

#include "host/host_dataset.h"
#include "memhost/csv_reader.h"
#include "memhost/memory_dataset.h"
#include "memhost/memory_field.h"

namespace pharmex::memhost {
namespace {

using host::HostDataSet;

std::vector<size_t> rows_under(const LocateIndex& index, uint64_t hash) {
  std::vector<size_t> rows;
  index.find(hash, [&rows](size_t row) {
    rows.push_back(row);
    return false;
  });
  return rows;
}

TEST(LocateIndexTest, KeepsTheRowsOfAHashInAscendingOrder) {
  LocateIndex index({0});
  for (size_t row : {4, 9, 1, 6, 0})
    index.add(row, 7);
  index.add(3, 8);
  EXPECT_EQ(rows_under(index, 7), (std::vector<size_t>{0, 1, 4, 6, 9}));
  index.remove(4, 7);
  index.remove(0, 7);
  index.remove(9, 7);
  EXPECT_EQ(rows_under(index, 7), (std::vector<size_t>{1, 6}));
  index.add(12, 7);
  EXPECT_EQ(rows_under(index, 7), (std::vector<size_t>{1, 6, 12}));
  index.remove(3, 8);
  EXPECT_EQ(rows_under(index, 8), std::vector<size_t>{});
  EXPECT_EQ(index.find(8, [](size_t) { return true; }), std::nullopt);
}

TEST(LocateIndexTest, ValuesThatCompareEqualHashAlike) {
  LocateIndex index({0, 1});
  EXPECT_EQ(index.row_hash({Variant::real(0.0), Variant::ascii("a")}),
            LocateIndex::key_hash({Variant::real(-0.0), Variant::ascii("a")}));
  EXPECT_EQ(index.row_hash({Variant::null(), Variant::boolean(true)}),
            LocateIndex::key_hash({Variant::null(), Variant::boolean(true)}));
  EXPECT_NE(LocateIndex::key_hash({Variant::integer(1), Variant::integer(2)}),
            LocateIndex::key_hash({Variant::integer(2), Variant::integer(1)}))
      << "the order of the key columns counts";
}

class IndexedLocateTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(MemoryDataSet::live_count(), datasets_before_);
    EXPECT_EQ(MemoryField::live_count(), fields_before_);
  }

  static void post_row(HostDataSet& view, int32_t supplier, int32_t article) {
    view.field_by_name("suppliers_id").set_value(Variant::integer(supplier));
    view.field_by_name("art_id").set_value(Variant::integer(article));
    view.post();
  }

  static Variant key(int32_t supplier, int32_t article) {
    return Variant::array({Variant::integer(supplier), Variant::integer(article)});
  }

  int64_t datasets_before_ = MemoryDataSet::live_count();
  int64_t fields_before_ = MemoryField::live_count();
};

TEST_F(IndexedLocateTest, FindsRowsAppendedAndEditedAfterTheFirstLocate) {
  auto data = read_csv("suppliers_id:integer,art_id:integer\n3,1001\n3,1002\n", "lines.csv");
  HostDataSet view(data);
  ASSERT_TRUE(view.locate("suppliers_id;art_id", key(3, 1002)));  // builds the index
  view.append();
  post_row(view, 4, 2001);
  ASSERT_TRUE(view.locate("suppliers_id;art_id", key(4, 2001)));
  EXPECT_EQ(data->position(), 2u);
  // Row 1 gets another article: found under the new key only.
  ASSERT_TRUE(view.locate("suppliers_id;art_id", key(3, 1002)));
  view.edit();
  post_row(view, 3, 3003);
  EXPECT_FALSE(view.locate("suppliers_id;art_id", key(3, 1002)));
  ASSERT_TRUE(view.locate("suppliers_id;art_id", key(3, 3003)));
  EXPECT_EQ(data->position(), 1u);
  // A discarded append is never found.
  view.append();
  view.field_by_name("art_id").set_value(Variant::integer(5005));
  view.first();
  EXPECT_FALSE(view.locate("art_id", Variant::integer(5005)));
}

TEST_F(IndexedLocateTest, TheFirstMatchingRowWinsWhereverEditsMovedTheKeys) {
  auto data = read_csv("suppliers_id:integer,art_id:integer\n3,1\n3,2\n3,1\n", "lines.csv");
  HostDataSet view(data);
  auto position_of = [&](int32_t article) {
    return view.locate("suppliers_id;art_id", key(3, article)) ? static_cast<int>(data->position())
                                                               : -1;
  };
  EXPECT_EQ(position_of(1), 0);
  view.edit();  // row 0: 1 -> 2
  post_row(view, 3, 2);
  EXPECT_EQ(position_of(1), 2);
  EXPECT_EQ(position_of(2), 0);
  ASSERT_TRUE(view.locate("suppliers_id;art_id", key(3, 1)));
  view.edit();  // row 2: 1 -> 2
  post_row(view, 3, 2);
  EXPECT_EQ(position_of(1), -1);
  ASSERT_EQ(position_of(2), 0);
  view.edit();  // row 0: 2 -> 1
  post_row(view, 3, 1);
  EXPECT_EQ(position_of(2), 1);
  EXPECT_EQ(position_of(1), 0);
}

TEST_F(IndexedLocateTest, KeysKeepTheirConversionsAndExactComparison) {
  auto data = read_csv(
      "code:string(5),price:float,since:date\n"
      "A7,0,2024-02-01\n"
      "a7,-0,2024-02-01\n"
      ",13.25,\n",
      "prices.csv");
  HostDataSet view(data);
  EXPECT_FALSE(view.locate("code", Variant::ascii("a8")));
  ASSERT_TRUE(view.locate("code", Variant::ascii("a7")));
  EXPECT_EQ(data->position(), 1u) << "text compares with case";
  ASSERT_TRUE(view.locate("price", Variant::real(-0.0)));
  EXPECT_EQ(data->position(), 0u) << "0 and -0 are the same number";
  ASSERT_TRUE(view.locate("price", Variant::integer(0)));
  EXPECT_EQ(data->position(), 0u);
  ASSERT_TRUE(view.locate("code;since", Variant::array({Variant::null(), Variant::null()})));
  EXPECT_EQ(data->position(), 2u) << "null finds null";
  EXPECT_FALSE(view.locate("since", Variant::ascii("no date")));
}

TEST_F(IndexedLocateTest, UntypedColumnsAreComparedRowByRow) {
  auto data = MemoryDataSet::create({{u"any", ftVariant, 0}});
  data->add_row({Variant::ascii("x")});
  data->add_row({Variant::integer(7)});
  HostDataSet view(data);
  ASSERT_TRUE(view.locate("any", Variant::real(7.0)));
  EXPECT_EQ(data->position(), 1u) << "7 and 7.0 are equal across kinds";
}

// Random appends, edits and locates against a plain scan of a copy of the rows.
TEST_F(IndexedLocateTest, AgreesWithAScanOverRandomAppendsAndEdits) {
  auto data = read_csv("suppliers_id:integer,art_id:integer\n", "lines.csv");
  HostDataSet view(data);
  std::vector<std::pair<int32_t, int32_t>> model;
  std::mt19937 random(11);
  std::uniform_int_distribution<int32_t> supplier(1, 3);
  std::uniform_int_distribution<int32_t> article(1, 40);
  std::uniform_int_distribution<int> action(0, 2);
  for (int step = 0; step < 3000; ++step) {
    const int32_t s = supplier(random);
    const int32_t a = article(random);
    int expected = -1;
    for (size_t row = 0; row < model.size() && expected < 0; ++row) {
      if (model[row] == std::make_pair(s, a)) expected = static_cast<int>(row);
    }
    const bool found = view.locate("suppliers_id;art_id", key(s, a));
    ASSERT_EQ(found ? static_cast<int>(data->position()) : -1, expected) << "step " << step;
    if (action(random) == 0 || model.empty()) {
      view.append();
      post_row(view, supplier(random), article(random));
      model.emplace_back(data->value(data->position(), 0).whole_value(),
                         data->value(data->position(), 1).whole_value());
    } else if (found) {
      view.edit();
      post_row(view, supplier(random), article(random));
      model[data->position()] = {
          static_cast<int32_t>(data->value(data->position(), 0).whole_value()),
          static_cast<int32_t>(data->value(data->position(), 1).whole_value())};
    }
  }
}

}  // namespace
}  // namespace pharmex::memhost
