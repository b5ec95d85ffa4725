#include "host/host_dataset.h"

#include <gtest/gtest.h>

#include <cstring>

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

// A field whose every Value is one variant a host made, unowned (the
// library's clearing must leave it alone).
struct FixedValueField {
  IField base{&kTable};
  int refs = 1;
  PxVariant value;
  bool slot_was_empty = false;  // what a Pascal callee relies on when it clears its result

  static FixedValueField& of(IField* self) { return *reinterpret_cast<FixedValueField*>(self); }
  static uint32_t PX_STDCALL add_ref(IField* self) { return ++of(self).refs; }
  static uint32_t PX_STDCALL release(IField* self) { return --of(self).refs; }
  static const PxChar16* PX_STDCALL name(IField*) {
    return reinterpret_cast<const PxChar16*>(u"Цена");
  }
  static void PX_STDCALL value_of(PxVariant* result, IField* self) {
    of(self).slot_was_empty = result->vt == PX_VT_EMPTY;
    *result = of(self).value;
  }
  static constexpr IFieldVtbl kTable = {.QueryInterface = nullptr,
                                        .AddRef = add_ref,
                                        .Release = release,
                                        .Name = name,
                                        .DataType = nullptr,
                                        .Size = nullptr,
                                        .Value = value_of,
                                        .SetValue = nullptr};
};

struct HostValueCase {
  const char* name;
  std::string lookup;  // how the field was asked for: a name, or "#index"
  uint16_t type;
  const void* payload;
  std::string expected;  // the text read (UTF-8), or the refusal's message
};

class HostValueTest : public ::testing::TestWithParam<HostValueCase> {};

TEST_P(HostValueTest, ReadsAPascalHostsStringsAndNamesTheColumnOfARefusal) {
  const HostValueCase& c = GetParam();
  FixedValueField fake;
  std::memset(&fake.value, 0, sizeof fake.value);
  fake.value.vt = c.type;
  std::memcpy(&fake.value.value, &c.payload, sizeof c.payload);
  {
    HostField field(HostRef<IField>::retain(&fake.base), ansi(c.lookup));
    if (c.type == PX_VT_ANSISTRING || c.type == PX_VT_UNICODESTRING) {
      EXPECT_EQ(field.value().string_value(), platform::utf8_to_utf16(c.expected));
    } else {
      EXPECT_THROW_MSG(field.value(), VariantError, ansi(c.expected));
    }
  }
  EXPECT_TRUE(fake.slot_was_empty);
  EXPECT_EQ(fake.refs, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Hosts, HostValueTest,
    ::testing::Values(
        HostValueCase{"AnsiStringInTheAnsiCodePage", "name", PX_VT_ANSISTRING,
                      "\xC0\xED\xE0\xEB\xFC\xE3\xE8\xED", "Анальгин"},
        HostValueCase{"UnicodeString", "name", PX_VT_UNICODESTRING, u"Анальгин", "Анальгин"},
        HostValueCase{"RefusalByName", "price", 9, nullptr,
                      "Could not convert variant of type ($0009) into type (Variant) in column "
                      "'price'"},
        HostValueCase{"RefusalByIndexNamesTheHostsColumn", "#3", 0x0101, nullptr,
                      "Could not convert variant of type ($0101) into type (Variant) in column "
                      "'Цена'"}),
    [](const ::testing::TestParamInfo<HostValueCase>& info) { return info.param.name; });

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
