#include "memhost/csv_writer.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>

#include "core/error.h"
#include "memhost/csv_reader.h"
#include "memhost/memory_dataset.h"
#include "testing/test_support.h"

namespace pharmex::memhost {
namespace {

using Kind = Variant::Kind;

// Equal kinds and equal payloads, bit for bit for doubles (so -0.0 differs
// from 0.0 and NaN equals itself).
void expect_same_value(const Variant& a, const Variant& b) {
  ASSERT_EQ(a.kind(), b.kind());
  switch (a.kind()) {
    case Kind::Double:
    case Kind::Date:
      EXPECT_EQ(std::bit_cast<uint64_t>(a.double_value()),
                std::bit_cast<uint64_t>(b.double_value()))
          << a.double_value() << " vs " << b.double_value();
      break;
    case Kind::String:
      EXPECT_EQ(a.string_value(), b.string_value());
      break;
    case Kind::Null:
      break;
    default:
      EXPECT_EQ(a.whole_value(), b.whole_value());
  }
}

void expect_same_rows(const MemoryDataSet& a, const MemoryDataSet& b) {
  ASSERT_EQ(a.row_count(), b.row_count());
  ASSERT_EQ(a.columns().size(), b.columns().size());
  for (size_t c = 0; c < a.columns().size(); ++c) {
    EXPECT_EQ(a.columns()[c].name, b.columns()[c].name);
    EXPECT_EQ(a.columns()[c].type, b.columns()[c].type);
    EXPECT_EQ(a.columns()[c].size, b.columns()[c].size);
  }
  for (size_t r = 0; r < a.row_count(); ++r) {
    for (size_t c = 0; c < a.columns().size(); ++c) {
      SCOPED_TRACE(::testing::Message() << "row " << r << " column " << c);
      expect_same_value(a.value(r, c), b.value(r, c));
    }
  }
}

const char kAllTypes[] =
    "Наименование:string(40),f:fixedchar(3),w:widestring(12),si:smallint,wo:word,i:integer,"
    "l:largeint,a:autoinc,b:boolean,fl:float,c:currency,bc:bcd,fb:fmtbcd,d:date,t:time,"
    "dt:datetime,m:memo,wm:widememo(100),bl:blob\n"
    "\"Смит, \"\"Джон\"\"\",ABC,Ωmega,-32768,65535,-2147483648,-9223372036854775808,7,true,"
    "0.1,-922337203685477.5808,1e-300,-0,2024-02-29,23:59:59.999,0001-01-01 00:00:01,"
    "\"line 1\nline 2\",\"\",raw\n"
    ",,,,,,,,,,,,,,,,,,\n"
    "x,,,1,,,,,false,123456789.123,0.0001,1.7976931348623157e+308,-inf,9999-12-31,00:00,"
    "1899-12-29 06:00,\"a,b\",Ωω,\n";

TEST(CsvWriterTest, RoundTripKeepsEveryValue) {
  auto first = read_csv(kAllTypes, "all.csv");
  std::string written = write_csv(first.get());
  auto second = read_csv(written, "written.csv");
  expect_same_rows(*first, *second);
  EXPECT_EQ(write_csv(second.get()), written) << "writing is a fixed point";
}

TEST(CsvWriterTest, WritesTheShortestExactTexts) {
  auto data = read_csv(
      "n:string(5),f:float,c:currency,d:datetime,t:time,b:boolean\n"
      "\"a\"\"b\",0.1,12.5000,2024-01-02T03:04:05.006,06:00:00,1\n"
      "\"\",1e21,-0.0001,2024-01-02,1900-01-01 06:00,0\n"
      ",,,,,\n",
      "in.csv");
  EXPECT_EQ(write_csv(data.get()),
            "n:string(5),f:float,c:currency,d:datetime,t:time,b:boolean\n"
            "\"a\"\"b\",0.1,12.5,2024-01-02 03:04:05.006,06:00:00,true\n"
            "\"\",1e+21,-0.0001,2024-01-02,1900-01-01 06:00:00,false\n"
            ",,,,,\n");
}

TEST(CsvWriterTest, RoundTripOfDoublesIsExact) {
  const double values[] = {0.1,
                           1.0 / 3,
                           2.0 / 3,
                           1e-300,
                           4.9e-324,
                           123456.789e10,
                           -2.5e-8,
                           0.30000000000000004,
                           9007199254740993.0};
  auto data = MemoryDataSet::create({{u"x", ftFloat, 0}});
  for (double value : values)
    data->add_row({Variant::real(value)});
  auto back = read_csv(write_csv(data.get()), "x.csv");
  expect_same_rows(*data, *back);
}

TEST(CsvWriterTest, OneColumnNullRowsSurvive) {
  auto data = read_csv("q:integer\n\n1\n\n", "q.csv");
  ASSERT_EQ(data->row_count(), 3u);
  auto back = read_csv(write_csv(data.get()), "q.csv");
  expect_same_rows(*data, *back);
}

TEST(CsvWriterTest, UnsupportedColumnTypeIsRefused) {
  auto data = MemoryDataSet::create({{u"p", ftVariant, 0}});
  data->add_row({Variant::ascii("x")});
  EXPECT_THROW_MSG(write_csv(data.get()), Error,
                   "Column \"p\" has type 32, which the CSV format cannot hold");
}

TEST(CsvWriterTest, DatasetWithoutColumnsIsRefused) {
  auto data = MemoryDataSet::create({});
  EXPECT_THROW_MSG(write_csv(data.get()), Error, "The dataset has no columns");
}

TEST(CsvWriterTest, HostFailurePassesThrough) {
  auto data = read_csv("a:integer\n1\n2\n", "a.csv");
  data->fail_call(Operation::Value, 2, "Disk on fire");
  EXPECT_THROW_MSG(write_csv(data.get()), Error, "Disk on fire");
  EXPECT_EQ(data->ref_count(), 1u) << "the writer released its references";
}

TEST(CsvWriterTest, WritesAndReadsFiles) {
  testing::TempDir dir;
  auto data = read_csv("Цена:currency\n12.34\n", "p.csv");
  std::string path = dir.file("цены.csv");
  write_csv_file(data.get(), path);
  EXPECT_EQ(testing::read_file(path), "Цена:currency\n12.34\n");
  expect_same_rows(*data, *open_csv_file(path));
  EXPECT_THROW_MSG(write_csv_file(data.get(), dir.file("no/such/dir.csv")), Error,
                   "Cannot write " + dir.file("no/such/dir.csv"));
}

}  // namespace
}  // namespace pharmex::memhost
