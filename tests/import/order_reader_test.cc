// The three order readers run on a run context as the import dialog runs
// them: how records merge into the order lines, which records are passed
// over, how each layout ends (progress, rewinding, remembered folder, finish)
// and what a failure leaves behind.
#include "import/order_reader.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/error.h"
#include "import/order_reader_fixture.h"
#include "memhost/csv_reader.h"

namespace pharmex::importing {
namespace {

using host::testing::host_events;
using testing::khabarovsk_fields;
using testing::khabarovsk_record;
using testing::kOrderedLine;
using testing::OrderReaderTest;
using testing::Record;
using testing::unico_fields;
using testing::unico_record;
using testing::write_dbf4;
using testing::write_order_file;

TEST_F(OrderReaderTest, AMatchRaisesTheQuantityAndLeavesTheOtherColumns) {
  write_dbf4(path_, {{4, 2001, 3}});
  run(dbf4_order_reader);
  EXPECT_EQ(lines_now(), "1,4,2001,Бинт (old),29,5,keep\n");
}

TEST_F(OrderReaderTest, ANewArticleIsAppendedFromThePriceListRow) {
  write_dbf4(path_, {{3, 1002, 4}, {4, 1001, 1}});
  run(dbf4_order_reader);
  // RecId is the host's; "note" has no price-list column and stays empty.
  EXPECT_EQ(lines_now(), std::string(kOrderedLine) +
                             ",3,1002,Анальгин,7,4,\n"
                             ",4,1001,Аспирин УПСА,13.25,1,\n");
}

TEST_F(OrderReaderTest, TwoRecordsOfOneArticleAppendThenRaise) {
  write_dbf4(path_, {{3, 1001, 4}, {3, 1001, 6}});
  run(dbf4_order_reader);
  EXPECT_EQ(lines_now(), std::string(kOrderedLine) + ",3,1001,Аспирин,12.5,10,\n");
}

TEST_F(OrderReaderTest, AnArticleTheSupplierDoesNotOfferChangesNothing) {
  // 2001 is offered by supplier 4 only; 9999 by nobody.
  write_dbf4(path_, {{3, 2001, 4}, {4, 9999, 1}});
  run(dbf4_order_reader);
  EXPECT_EQ(lines_now(), kOrderedLine);
  EXPECT_EQ(lines_->calls(memhost::Operation::Locate), 0) << "the order lines were not searched";
}

TEST_F(OrderReaderTest, DeletedRecordsArePassedOverButCount) {
  write_dbf4(path_, {{4, 2001, 3}, {3, 1001, 4}, {4, 2001, 5}});
  testing::delete_record(path_, 2);
  run(dbf4_order_reader);
  EXPECT_EQ(lines_now(), "1,4,2001,Бинт (old),29,10,keep\n");
  // Three records counted, two merged: 33, 66, then 100 at the end.
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 33", "progress 4660 66",
                                      "progress 4660 100", "finish 4660"}));
}

struct RaiseCase {
  const char* name;
  std::string line_qty;  // CSV cell of the ordered line's quantity
  double file_qty;
  std::string result;
};

void PrintTo(const RaiseCase& c, std::ostream* out) {
  *out << c.name;
}

class RaiseTest : public OrderReaderTest, public ::testing::WithParamInterface<RaiseCase> {};

TEST_P(RaiseTest, AddsTheRecordsQuantityByVariantAddition) {
  const RaiseCase& c = GetParam();
  lines_ = testing::test_lines("1,4,2001,Бинт (old),29," + c.line_qty + ",keep\n");
  write_dbf4(path_, {{4, 2001, static_cast<int>(c.file_qty)}});
  run(dbf4_order_reader);
  EXPECT_EQ(lines_now(), "1,4,2001,Бинт (old),29," + c.result + ",keep\n");
}

INSTANTIATE_TEST_SUITE_P(Sums, RaiseTest,
                         ::testing::Values(RaiseCase{"Numbers", "2", 3, "5"},
                                           RaiseCase{"ZeroQuantity", "2", 0, "2"},
                                           RaiseCase{"NullLineStaysNull", "", 3, ""}),
                         [](const auto& info) { return std::string(info.param.name); });

// What differs between the layouts at the end of a run.
struct LayoutCase {
  const char* name;
  host::Routine reader;
  // Writes a file of records: an offered article (quantity 2), one not
  // offered, another offered article (quantity 3).
  std::function<void(const std::string& path, bool with_records)> write;
  std::string merged;  // the lines appended by those records
  bool completes;      // rewinds the lines and reports 100
  bool remembers;      // stores "order_import_path"
};

void PrintTo(const LayoutCase& c, std::ostream* out) {
  *out << c.name;
}

const LayoutCase kLayouts[] = {
    {"Dbf4", dbf4_order_reader,
     [](const std::string& path, bool with_records) {
       if (with_records) {
         write_dbf4(path, {{3, 1001, 2}, {3, 2001, 1}, {3, 1002, 3}});
       } else {
         write_dbf4(path, {});
       }
     },
     ",3,1001,Аспирин,12.5,2,\n,3,1002,Анальгин,7,3,\n", true, true},
    {"Khabarovsk", khabarovsk_order_reader,
     [](const std::string& path, bool with_records) {
       std::vector<Record> records;
       if (with_records) {
         records = {khabarovsk_record(1001, 2), khabarovsk_record(2001, 1),
                    khabarovsk_record(1002, 3)};
       }
       write_order_file(path, khabarovsk_fields(), records);
     },
     ",3,1001,Аспирин,12.5,2,\n,3,1002,Анальгин,7,3,\n", false, false},
    {"Unico", unico_order_reader,
     [](const std::string& path, bool with_records) {
       std::vector<Record> records;
       if (with_records) {
         records = {unico_record("1001", 2), unico_record("2001", 1), unico_record("1002", 3)};
       }
       write_order_file(path, unico_fields(), records);
     },
     ",3,1001,Аспирин,12.5,2,\n,3,1002,Анальгин,7,3,\n", true, true},
};

class LayoutTest : public OrderReaderTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutTest, MergesOfferedArticlesAndEndsAsTheLayoutDoes) {
  const LayoutCase& c = GetParam();
  c.write(path_, true);
  run(c.reader);
  std::vector<std::string> events = {"start 4660", "progress 4660 33", "progress 4660 66"};
  if (c.completes) events.push_back("progress 4660 100");
  events.push_back("finish 4660");
  EXPECT_EQ(host_events(), events);
  // Rewound to the first line, or left on the line appended last.
  EXPECT_EQ(lines_->position(), c.completes ? 0u : 2u);
  EXPECT_EQ(remembered(), c.remembers ? root() : "");
  EXPECT_EQ(lines_now(), kOrderedLine + c.merged);
}

TEST_P(LayoutTest, AFileWithoutRecordsChangesNothing) {
  const LayoutCase& c = GetParam();
  c.write(path_, false);
  run(c.reader);
  std::vector<std::string> events = {"start 4660"};
  if (c.completes) events.push_back("progress 4660 100");
  events.push_back("finish 4660");
  EXPECT_EQ(host_events(), events);
  EXPECT_EQ(lines_now(), kOrderedLine);
}

TEST_P(LayoutTest, AMissingFileFailsBeforeAnythingIsMerged) {
  const LayoutCase& c = GetParam();
  EXPECT_THROW_MSG(run(c.reader), DatabaseError, "Cannot find file " + path_);
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
  EXPECT_EQ(remembered(), c.remembers ? root() : "");
  EXPECT_EQ(lines_now(), kOrderedLine);
}

TEST_P(LayoutTest, OrderLinesWithoutQtyFailBeforeAnythingIsMerged) {
  const LayoutCase& c = GetParam();
  c.write(path_, true);
  // "QTY" is not the quantity column: the name must be "qty" exactly.
  for (const char* columns : {"RecId:integer,suppliers_id:integer,art_id:integer\n",
                              "suppliers_id:integer,art_id:integer,QTY:integer\n"}) {
    host_events().clear();
    lines_ = memhost::read_csv(columns, "lines.csv");
    EXPECT_THROW_MSG(run(c.reader), Error, "The host data have no column 'qty'");
    EXPECT_EQ(lines_->row_count(), 0u);
    EXPECT_EQ(lines_->calls(memhost::Operation::Locate), 0);
    EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
  }
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutTest, ::testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pharmex::importing
