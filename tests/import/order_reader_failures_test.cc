// The readers' keys and the cases where a run stops: fields missing from the
// file, a damaged record, a failing host. What was merged before a failure
// stays merged; nothing after it is.
#include <gtest/gtest.h>

#include "core/error.h"
#include "import/order_reader.h"
#include "import/order_reader_fixture.h"
#include "memhost/csv_reader.h"

namespace pharmex::importing {
namespace {

using host::testing::host_events;
using testing::kOrderedLine;
using testing::OrderReaderTest;
using testing::Record;
using testing::write_dbf4;
using testing::write_order_file;

TEST_F(OrderReaderTest, KhabarovskAndUnicoOrderFromSupplierThree) {
  // Article 1001 is offered by suppliers 3 and 4; 2001 by supplier 4 only.
  write_order_file(path_, testing::khabarovsk_fields(),
                   {testing::khabarovsk_record(1001, 2), testing::khabarovsk_record(2001, 5)});
  run(khabarovsk_order_reader);
  write_order_file(path_, testing::unico_fields(),
                   {testing::unico_record("1001", 1), testing::unico_record("2001", 5)});
  run(unico_order_reader);
  EXPECT_EQ(lines_now(), std::string(kOrderedLine) + ",3,1001,Аспирин,12.5,3,\n");
}

TEST_F(OrderReaderTest, AUnicoArticleThatIsNoNumberMatchesNothing) {
  write_order_file(path_, testing::unico_fields(),
                   {testing::unico_record("A-17", 1), testing::unico_record("", 1)});
  run(unico_order_reader);
  EXPECT_EQ(lines_now(), kOrderedLine);
  EXPECT_TRUE(prices_->failures().empty());
}

TEST_F(OrderReaderTest, AFractionalArticleIsNoWholeArticle) {
  // Rounded, 1001.40 would add Аспирин and 1001.60 Анальгин.
  write_order_file(path_, {"SUPPL_ID;N;11;0", "ART_ID;N;11;2", "QTY;N;8;0"},
                   {{Variant::integer(3), Variant::real(1001.4), Variant::integer(2)},
                    {Variant::integer(3), Variant::real(1001.6), Variant::integer(5)},
                    {Variant::integer(3), Variant::real(1002.0), Variant::integer(3)}});
  run(dbf4_order_reader);
  EXPECT_EQ(lines_now(), std::string(kOrderedLine) + ",3,1002,Анальгин,7,3,\n");
  EXPECT_TRUE(prices_->failures().empty());
}

TEST_F(OrderReaderTest, RecIdAndQtyAreKnownByTheirExactNames) {
  prices_ = memhost::read_csv(
      "suppliers_id:integer,art_id:integer,RecId:integer,Qty:integer\n3,1001,77,500\n",
      "prices.csv");
  // "recid" is an ordinary column here, filled from the price list's "RecId".
  lines_ = memhost::read_csv("recid:integer,suppliers_id:integer,art_id:integer,qty:integer\n",
                             "lines.csv");
  write_dbf4(path_, {{3, 1001, 4}});
  run(dbf4_order_reader);
  EXPECT_EQ(lines_now(), "77,3,1001,4\n");
  // "RecId" is the host's own, even when the price list has such a column.
  lines_ = memhost::read_csv("RecId:integer,suppliers_id:integer,art_id:integer,qty:integer\n",
                             "lines.csv");
  run(dbf4_order_reader);
  EXPECT_EQ(lines_now(), ",3,1001,4\n");
}

struct MissingFieldCase {
  const char* name;
  host::Routine reader;
  std::vector<std::string> fields;
  std::string missing;
};

void PrintTo(const MissingFieldCase& c, std::ostream* out) {
  *out << c.name;
}

class MissingFieldTest : public OrderReaderTest,
                         public ::testing::WithParamInterface<MissingFieldCase> {};

// A file of one record; every field is numeric so that any field order
// makes a record of numbers.
Record numbers(size_t count) {
  return Record(count, Variant::integer(1001));
}

TEST_P(MissingFieldTest, FailsAtTheFirstRecordBeforeAnythingIsMerged) {
  const MissingFieldCase& c = GetParam();
  write_order_file(path_, c.fields, {numbers(c.fields.size()), numbers(c.fields.size())});
  EXPECT_THROW_MSG(run(c.reader), DatabaseError, "Field '" + c.missing + "' not found");
  EXPECT_EQ(lines_now(), kOrderedLine);
  EXPECT_EQ(prices_->calls(memhost::Operation::Locate), 0);
  EXPECT_EQ(host_events(), (std::vector<std::string>{"start 4660", "finish 4660"}));
}

TEST_P(MissingFieldTest, AFileWithoutRecordsDoesNotMissThem) {
  const MissingFieldCase& c = GetParam();
  write_order_file(path_, c.fields, {});
  EXPECT_NO_THROW(run(c.reader));
  EXPECT_EQ(lines_now(), kOrderedLine);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, MissingFieldTest,
    ::testing::Values(
        // A Khabarovsk file read as DBF 4, as order_import_from_file does.
        MissingFieldCase{"Dbf4Supplier", dbf4_order_reader, {"COD;N;8;0", "QTY;N;8;0"}, "suppl_id"},
        MissingFieldCase{
            "Dbf4Article", dbf4_order_reader, {"SUPPL_ID;N;11;0", "QTY;N;8;0"}, "ART_ID"},
        MissingFieldCase{
            "Dbf4Quantity", dbf4_order_reader, {"SUPPL_ID;N;11;0", "ART_ID;N;11;0"}, "QTY"},
        MissingFieldCase{"KhabarovskArticle", khabarovsk_order_reader, {"ART_ID;N;8;0"}, "COD"},
        MissingFieldCase{"KhabarovskQuantity", khabarovsk_order_reader, {"COD;N;8;0"}, "qty"},
        MissingFieldCase{"UnicoArticle", unico_order_reader, {"COD;N;8;0", "QNT;N;8;0"}, "CODEPST"},
        MissingFieldCase{
            "UnicoQuantity", unico_order_reader, {"CODEPST;N;8;0", "QTY;N;8;0"}, "QNT"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(OrderReaderTest, ADamagedRecordStopsTheRunAndKeepsWhatWasMerged) {
  write_dbf4(path_, {{4, 2001, 3}, {3, 1001, 9999}, {3, 1002, 1}});
  // A quantity written with a decimal comma is no dBase number.
  testing::patch_file(path_, "9999", "12,5");
  EXPECT_THROW_MSG(run(dbf4_order_reader), DbfError,
                   "Invalid numeric value in field order->QTY (12,5)");
  EXPECT_EQ(lines_now(), "1,4,2001,Бинт (old),29,5,keep\n");
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 33", "finish 4660"}));
  EXPECT_EQ(remembered(), root());
}

TEST_F(OrderReaderTest, ADamagedQuantityOfAnArticleNotOfferedIsNeverRead) {
  // Supplier 3 does not offer 2001: that record changes nothing, and its
  // quantity is not needed.
  write_dbf4(path_, {{4, 2001, 3}, {3, 2001, 9999}, {3, 1002, 1}});
  testing::patch_file(path_, "9999", "12,5");
  run(dbf4_order_reader);
  EXPECT_EQ(lines_now(), "1,4,2001,Бинт (old),29,5,keep\n,3,1002,Анальгин,7,1,\n");
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 33", "progress 4660 66",
                                      "progress 4660 100", "finish 4660"}));
}

TEST_F(OrderReaderTest, AFailingHostEndsTheRunWhereItHappened) {
  lines_->fail_call(memhost::Operation::Post, 2, "Key violation");
  write_dbf4(path_, {{4, 2001, 3}, {3, 1001, 4}, {3, 1002, 1}});
  EXPECT_THROW_MSG(run(dbf4_order_reader), Error, "Key violation");
  // The raise was posted; the appended line was not, and nothing came after.
  EXPECT_EQ(lines_now(), "1,4,2001,Бинт (old),29,5,keep\n");
  EXPECT_EQ(prices_->calls(memhost::Operation::Locate), 2);
  EXPECT_EQ(host_events(),
            (std::vector<std::string>{"start 4660", "progress 4660 33", "finish 4660"}));
}

TEST_F(OrderReaderTest, WithoutCallbacksNothingIsCalledAndTheRunStillCompletes) {
  run_.set_callbacks({});
  write_dbf4(path_, {{4, 2001, 3}});
  run(dbf4_order_reader);
  EXPECT_TRUE(host_events().empty());
  EXPECT_EQ(lines_now(), "1,4,2001,Бинт (old),29,5,keep\n");
}

}  // namespace
}  // namespace pharmex::importing
