#include "host/host_dataset.h"

#include <gtest/gtest.h>

#include "core/error.h"
#include "memhost/csv_reader.h"
#include "memhost/memory_dataset.h"
#include "memhost/memory_field.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace pharmex::host {
namespace {

using memhost::MemoryDataSet;
using memhost::MemoryField;
using memhost::Operation;

std::string ansi(std::string_view utf8) {
  return platform::text_codec().utf8_to_ansi(utf8);
}

class HostDataSetTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(MemoryDataSet::live_count(), datasets_before_);
    EXPECT_EQ(MemoryField::live_count(), fields_before_);
  }

  int64_t datasets_before_ = MemoryDataSet::live_count();
  int64_t fields_before_ = MemoryField::live_count();
};

TEST_F(HostDataSetTest, RefusesANullDataset) {
  EXPECT_THROW_MSG(HostDataSet(nullptr), Error, "No dataset was given");
}

TEST_F(HostDataSetTest, NamesComeInTheAnsiCodePage) {
  auto data = memhost::read_csv("Наименование:string(60),Цена:float\nАнальгин,7\n", "t.csv");
  HostDataSet view(data);
  EXPECT_EQ(view.field(0).name(), ansi("Наименование"));
  EXPECT_EQ(view.field(0).name_utf16(), u"Наименование");
  HostField price = view.field_by_name(std::string_view(ansi("цена")));
  ASSERT_TRUE(price);
  EXPECT_EQ(price.value().double_value(), 7.0);
  EXPECT_TRUE(view.locate(ansi("Наименование"), Variant::string(u"Анальгин")));
}

// A field whose DataType sets the high bit, as some hosts do; the other
// operations are never called.
struct HighBitField {
  IField base{&kTable};
  int refs = 1;

  static uint32_t PX_STDCALL add_ref(IField* self) {
    return ++reinterpret_cast<HighBitField*>(self)->refs;
  }
  static uint32_t PX_STDCALL release(IField* self) {
    return --reinterpret_cast<HighBitField*>(self)->refs;
  }
  static uint8_t PX_STDCALL data_type(IField*) { return 0x80 | ftLargeint; }
  static constexpr IFieldVtbl kTable = {.QueryInterface = nullptr,
                                        .AddRef = add_ref,
                                        .Release = release,
                                        .Name = nullptr,
                                        .DataType = data_type,
                                        .Size = nullptr,
                                        .Value = nullptr,
                                        .SetValue = nullptr};
};

TEST_F(HostDataSetTest, DataTypeKeepsTheLowSevenBits) {
  HighBitField fake;
  {
    HostField field(HostRef<IField>::retain(&fake.base), "id");
    EXPECT_EQ(field.data_type(), ftLargeint);
  }
  EXPECT_EQ(fake.refs, 1);
}

TEST_F(HostDataSetTest, AMissingFieldIsNullAndRefusesUse) {
  auto data = memhost::read_csv("qty:integer\n1\n", "t.csv");
  HostDataSet view(data);
  HostField missing = view.field_by_name("RecId");
  EXPECT_FALSE(missing);
  EXPECT_THROW_MSG(missing.value(), Error, "The host data have no column 'RecId'");
  EXPECT_THROW_MSG(missing.set_value(Variant::integer(1)), Error,
                   "The host data have no column 'RecId'");
  EXPECT_THROW_MSG(HostField().name(), Error, "The host data have no column ''");
}

TEST_F(HostDataSetTest, AReportedFailureEndsTheCallWithTheHostsMessage) {
  auto data = memhost::read_csv("qty:integer\n1\n", "t.csv");
  HostDataSet view(data);
  data->fail_call(Operation::Edit, 1, "Запись заблокирована другим пользователем");
  EXPECT_THROW_MSG(view.edit(), Error, ansi("Запись заблокирована другим пользователем"));
  view.edit();  // the next call is not touched by the old report
  EXPECT_EQ(data->state(), MemoryDataSet::State::Edit);
}

TEST_F(HostDataSetTest, AFailedFieldLookupLeaksNothing) {
  auto data = memhost::read_csv("qty:integer\n1\n", "t.csv");
  HostDataSet view(data);
  data->fail_call(Operation::FieldByName, 1);
  EXPECT_THROW_MSG(view.field_by_name("qty"), Error, "Simulated failure of FieldByName");
  data->fail_call(Operation::Value, 1);
  HostField qty = view.field_by_name("qty");
  EXPECT_THROW_MSG(qty.value(), Error, "Simulated failure of Value");
  EXPECT_EQ(qty.value().whole_value(), 1);
}

TEST_F(HostDataSetTest, SetValueHandsTheHostACopy) {
  auto data = memhost::read_csv("name:string(10)\nold\n", "t.csv");
  HostDataSet view(data);
  view.edit();
  Variant text = Variant::string(u"new");
  view.field(0).set_value(text);
  view.post();
  EXPECT_EQ(data->value(0, 0).string_value(), u"new");
  EXPECT_EQ(text.string_value(), u"new");
}

TEST_F(HostDataSetTest, ForwardsTheCursorOperations) {
  auto data = memhost::read_csv("id:integer\n1\n2\n", "t.csv");
  HostDataSet view(data);
  EXPECT_EQ(view.field_count(), 1);
  EXPECT_EQ(view.record_count(), 2);
  view.first();
  view.next();
  EXPECT_EQ(data->position(), 1u);
  EXPECT_FALSE(view.eof());
  view.next();
  EXPECT_TRUE(view.eof());
  view.append();
  view.field(0).set_value(Variant::integer(3));
  view.post();
  EXPECT_EQ(data->row_count(), 3u);
  EXPECT_TRUE(view.locate(u"ID", Variant::ascii("2")));
  EXPECT_EQ(data->position(), 1u);
  EXPECT_FALSE(view.locate("id", Variant::integer(9)));
  EXPECT_EQ(data->position(), 1u);
}

}  // namespace
}  // namespace pharmex::host
