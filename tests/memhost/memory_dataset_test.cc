#include "memhost/memory_dataset.h"

#include <gtest/gtest.h>

#include <tuple>

#include "core/abi_variant.h"
#include "core/error.h"
#include "host/host_dataset.h"
#include "host/host_variant.h"
#include "memhost/csv_loaders.h"
#include "memhost/csv_reader.h"
#include "memhost/memory_field.h"
#include "memhost/query_interface.h"
#include "platform/text_codec.h"
#include "testing/test_support.h"

namespace pharmex::memhost {
namespace {

using host::HostDataSet;
using host::HostRef;

const RegionalSettings kComma{',', "dd.MM.yyyy", "H:mm:ss"};

// Every test must leave no dataset or field behind.
class MemoryDataSetTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(MemoryDataSet::live_count(), datasets_before_);
    EXPECT_EQ(MemoryField::live_count(), fields_before_);
  }

  Service<const RegionalSettings>::Scoped settings_{kComma};
  int64_t datasets_before_ = MemoryDataSet::live_count();
  int64_t fields_before_ = MemoryField::live_count();
};

const char kPrices[] =
    "suppliers_id:integer,art_id:integer,name:string(20),price:float,flag:boolean,"
    "since:date,code:string(5)\n"
    "3,1001,Аспирин,12.5,true,2024-02-01,007\n"
    "3,1002,Анальгин,7,false,,7\n"
    "4,1001,Аспирин УПСА,13.25,,2023-12-31,A7\n"
    "4,,без кода,0,false,2024-02-01,\"\"\n";

// The same tests on a dataset loaded into memory and on one whose rows are
// read from its file on demand.
class LoadedDataSetTest : public MemoryDataSetTest,
                          public ::testing::WithParamInterface<testing::CsvLoader> {
 protected:
  HostRef<MemoryDataSet> load(std::string_view text) { return GetParam().load(text); }
  HostRef<MemoryDataSet> prices() { return load(kPrices); }
};

INSTANTIATE_TEST_SUITE_P(Loaders, LoadedDataSetTest,
                         ::testing::Values(testing::kInMemory, testing::kOnDemand),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(LoadedDataSetTest, CursorVisitsEveryRowThenStopsAtEof) {
  auto data = prices();
  HostDataSet view(data);
  EXPECT_EQ(view.record_count(), 4);
  std::vector<std::u16string> names;
  host::HostField name = view.field_by_name("name");
  for (view.first(); !view.eof(); view.next())
    names.push_back(name.value().string_value());
  EXPECT_EQ(names,
            (std::vector<std::u16string>{u"Аспирин", u"Анальгин", u"Аспирин УПСА", u"без кода"}));
  view.next();
  EXPECT_TRUE(view.eof());
  EXPECT_TRUE(name.value().is_null()) << "no current row past the end";
}

TEST_F(MemoryDataSetTest, EmptyDatasetIsAtEofRightAfterFirst) {
  auto data = MemoryDataSet::create({{u"id", ftInteger, 0}});
  HostDataSet view(data);
  view.first();
  EXPECT_TRUE(view.eof());
  EXPECT_EQ(view.record_count(), 0);
  EXPECT_TRUE(view.field(0).value().is_null());
}

TEST_P(LoadedDataSetTest, FieldByNameIgnoresCaseAndYieldsNullForAMissingName) {
  auto data = load("Цена:float,qty:integer\n1.5,2\n");
  HostDataSet view(data);
  EXPECT_EQ(view.field_by_name(u"ЦЕНА").value().double_value(), 1.5);
  EXPECT_EQ(view.field_by_name("QTY").name(), "qty");
  EXPECT_FALSE(view.field_by_name("RecId"));
  EXPECT_TRUE(data->failures().empty()) << "a missing name is not a failure";
}

struct LocateCase {
  const char* name;
  const char* key_fields;
  Variant key;
  bool found;
  size_t row;  // where the cursor stands afterwards
};

void PrintTo(const LocateCase& c, std::ostream* out) {
  *out << c.name;
}

class LocateTest
    : public MemoryDataSetTest,
      public ::testing::WithParamInterface<std::tuple<testing::CsvLoader, LocateCase>> {};

TEST_P(LocateTest, ConvertsTheKeyToTheColumnTypeAndComparesExactly) {
  const LocateCase& c = std::get<1>(GetParam());
  auto data = std::get<0>(GetParam()).load(kPrices);
  HostDataSet view(data);
  view.first();
  view.next();  // row 1, to see that a miss leaves the cursor alone
  EXPECT_EQ(view.locate(c.key_fields, c.key), c.found);
  EXPECT_EQ(data->position(), c.row);
  EXPECT_TRUE(data->failures().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, LocateTest,
    ::testing::Combine(
        ::testing::Values(testing::kInMemory, testing::kOnDemand),
        ::testing::Values(
            LocateCase{"IntegerKey", "art_id", Variant::integer(1002), true, 1},
            LocateCase{"TextFindsInteger", "art_id", Variant::ascii("1001"), true, 0},
            LocateCase{"DoubleFindsInteger", "art_id", Variant::real(1002.0), true, 1},
            LocateCase{"TextThatIsNoNumberMatchesNothing", "art_id", Variant::ascii("A-17"), false,
                       1},
            LocateCase{"NullFindsOnlyNull", "art_id", Variant::null(), true, 3},
            LocateCase{"NullFindsTheNullBoolean", "flag", Variant::null(), true, 2},
            LocateCase{"ExactText", "name", Variant::string(u"без кода"), true, 3},
            LocateCase{"TextComparesWithCase", "name", Variant::string(u"аспирин"), false, 1},
            LocateCase{"DecimalCommaOfTheRegionalSettings", "price", Variant::ascii("13,25"), true,
                       2},
            LocateCase{"DecimalPointIsNotTheSeparator", "price", Variant::ascii("13.25"), false, 1},
            LocateCase{"FractionFindsNoInteger", "art_id", Variant::real(1001.4), false, 1},
            LocateCase{"FractionDoesNotRoundUp", "art_id", Variant::real(1000.6), false, 1},
            LocateCase{"TextFractionFindsNoInteger", "art_id", Variant::ascii("1001,4"), false, 1},
            LocateCase{"CurrencyOfAWholeNumberFindsTheInteger", "art_id",
                       Variant::currency_units(10010000), true, 0},
            LocateCase{"IntegerFindsTheWholeFloat", "price", Variant::integer(7), true, 1},
            LocateCase{"DateFromRegionalText", "since", Variant::ascii("31.12.2023"), true, 2},
            LocateCase{"BooleanFromText", "flag", Variant::ascii("false"), true, 1},
            LocateCase{"NumberFindsTheTextItRendersAs", "code", Variant::integer(7), true, 1},
            LocateCase{"ZeroPaddedTextNeedsTheSameText", "code", Variant::ascii("007"), true, 0},
            LocateCase{"ColumnNameIgnoresCase", "ART_ID", Variant::integer(1001), true, 0},
            LocateCase{"TwoColumnsWithAnArrayKey", "suppliers_id;art_id",
                       Variant::array({Variant::integer(4), Variant::ascii("1001")}), true, 2},
            LocateCase{"TwoColumnsBlanksAroundNames", " suppliers_id ; art_id ",
                       Variant::array({Variant::small_int(3), Variant::int64(1002)}), true, 1},
            LocateCase{"TwoColumnsNoSuchPair", "suppliers_id;art_id",
                       Variant::array({Variant::integer(4), Variant::integer(1002)}), false, 1},
            LocateCase{"OneColumnOneElementArray", "art_id",
                       Variant::array({Variant::integer(1001)}), true, 0})),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

TEST_P(LoadedDataSetTest, NullKeyDoesNotFindZeroOrEmptyText) {
  auto data = load("n:integer,s:string(5)\n0,\"\"\n,\n");
  HostDataSet view(data);
  EXPECT_TRUE(view.locate("n", Variant::null()));
  EXPECT_EQ(data->position(), 1u);
  EXPECT_TRUE(view.locate("s", Variant::ascii("")));
  EXPECT_EQ(data->position(), 0u);
  EXPECT_TRUE(view.locate("s", Variant::null()));
  EXPECT_EQ(data->position(), 1u);
  EXPECT_TRUE(view.locate("n", Variant::integer(0)));
  EXPECT_EQ(data->position(), 0u);
}

TEST_P(LoadedDataSetTest, LocateRefusesAMissingColumnOrAWrongNumberOfKeys) {
  auto data = prices();
  HostDataSet view(data);
  EXPECT_THROW_MSG(view.locate("nope", Variant::integer(1)), Error, "Field 'nope' not found");
  EXPECT_THROW_MSG(view.locate("suppliers_id;art_id", Variant::integer(3)), Error,
                   "Locate needs one key value per key column (2 columns, 1 values)");
  EXPECT_EQ(data->failures(),
            (std::vector<std::string>{
                "Field 'nope' not found",
                "Locate needs one key value per key column (2 columns, 1 values)"}));
}

TEST_P(LoadedDataSetTest, AppendSetValuePostAddsACurrentRowAtTheEnd) {
  auto data = prices();
  HostDataSet view(data);
  view.first();
  view.append();
  EXPECT_FALSE(view.eof());
  view.field_by_name("art_id").set_value(Variant::ascii("2001"));
  view.field_by_name("price").set_value(Variant::ascii("1,5"));
  EXPECT_EQ(view.field_by_name("art_id").value().kind(), Variant::Kind::Integer)
      << "the pending row reads back converted";
  EXPECT_EQ(data->row_count(), 4u) << "nothing stored before Post";
  view.post();
  ASSERT_EQ(data->row_count(), 5u);
  EXPECT_EQ(data->position(), 4u);
  EXPECT_EQ(data->value(4, 1).whole_value(), 2001);
  EXPECT_EQ(data->value(4, 3).double_value(), 1.5);
  EXPECT_TRUE(data->value(4, 0).is_null()) << "columns not set stay null";
}

TEST_P(LoadedDataSetTest, EditChangesOnlyTheCurrentRowOnPost) {
  auto data = prices();
  HostDataSet view(data);
  ASSERT_TRUE(view.locate("art_id", Variant::integer(1002)));
  view.edit();
  host::HostField price = view.field_by_name("price");
  price.set_value(add(price.value(), Variant::integer(3), kComma));
  view.post();
  EXPECT_EQ(data->value(1, 3).double_value(), 10.0);
  EXPECT_EQ(data->value(0, 3).double_value(), 12.5);
  EXPECT_EQ(data->state(), MemoryDataSet::State::Browse);
}

TEST_P(LoadedDataSetTest, LocateFindsRowsAsTheyAreAfterEditAndAppend) {
  auto data = prices();
  HostDataSet view(data);
  ASSERT_TRUE(view.locate("art_id", Variant::integer(1002)));
  view.edit();
  view.field_by_name("art_id").set_value(Variant::integer(2002));
  view.post();
  EXPECT_FALSE(view.locate("art_id", Variant::integer(1002))) << "the old key is gone";
  ASSERT_TRUE(view.locate("art_id", Variant::integer(2002)));
  EXPECT_EQ(data->position(), 1u);
  view.append();
  view.field_by_name("art_id").set_value(Variant::integer(1002));
  view.post();
  ASSERT_TRUE(view.locate("art_id", Variant::integer(1002)));
  EXPECT_EQ(data->position(), 4u);
  ASSERT_TRUE(view.locate("art_id", Variant::integer(1001)));
  EXPECT_EQ(data->position(), 0u) << "the first of two rows with the key";
  EXPECT_EQ(data->value(1, 2).string_value(), u"Анальгин") << "the rest of the row is kept";
}

TEST_P(LoadedDataSetTest, MovingWithAPendingRowDiscardsIt) {
  auto data = prices();
  HostDataSet view(data);
  view.edit();
  view.field_by_name("name").set_value(Variant::ascii("changed"));
  view.next();
  view.append();
  view.first();
  EXPECT_EQ(data->value(0, 2).string_value(), u"Аспирин");
  EXPECT_EQ(data->row_count(), 4u);
  EXPECT_THROW_MSG(view.post(), Error, "Dataset not in edit or insert mode");
}

TEST_P(LoadedDataSetTest, RefusalsLeaveTheDataAsItWas) {
  auto data = prices();
  HostDataSet view(data);
  host::HostField id = view.field_by_name("art_id");
  EXPECT_THROW_MSG(id.set_value(Variant::integer(5)), Error, "Dataset not in edit or insert mode");
  view.edit();
  EXPECT_THROW_MSG(id.set_value(Variant::ascii("A-17")), Error,
                   "Could not convert variant of type (String) into type (Integer)");
  EXPECT_EQ(id.value().whole_value(), 1001) << "the pending row keeps its value";
  view.first();
  while (!view.eof())
    view.next();
  EXPECT_THROW_MSG(view.edit(), Error, "No current row to edit");
  EXPECT_EQ(data->failures().size(), 3u);
}

TEST_P(LoadedDataSetTest, GetFieldOutOfRangeFailsWithANullField) {
  auto data = prices();
  HostDataSet view(data);
  EXPECT_THROW_MSG(view.field(7), Error, "List index out of bounds (7)");
  IField* field = reinterpret_cast<IField*>(1);
  data->lpVtbl->GetField(&field, data.get(), -1);
  EXPECT_EQ(field, nullptr);
}

TEST_P(LoadedDataSetTest, FieldsReportNameTypeAndSize) {
  auto data = prices();
  HostDataSet view(data);
  ASSERT_EQ(view.field_count(), 7);
  EXPECT_EQ(view.field(2).name_utf16(), u"name");
  EXPECT_EQ(view.field(2).data_type(), ftString);
  EXPECT_EQ(view.field(2).size(), 20);
  EXPECT_EQ(view.field(4).data_type(), ftBoolean);
}

TEST_P(LoadedDataSetTest, ValueHandsTheCallerItsOwnCopy) {
  auto data = prices();
  HostDataSet view(data);
  host::HostField name = view.field(2);
  PxVariant first;
  PxVariant second;
  name.get()->lpVtbl->Value(&first, name.get());
  name.get()->lpVtbl->Value(&second, name.get());
  ASSERT_EQ(first.vt, PX_VT_BSTR);
  EXPECT_NE(first.value.bstr, second.value.bstr);
  EXPECT_EQ(host::read_host_variant(first).string_value(), u"Аспирин");
  pharmex_variant_clear(&first);
  pharmex_variant_clear(&second);
}

TEST_P(LoadedDataSetTest, ReferencesAreCountedLikeCom) {
  auto data = prices();
  EXPECT_EQ(data->ref_count(), 1u);
  {
    HostDataSet view(data);
    EXPECT_EQ(data->ref_count(), 2u);
    host::HostField a = view.field(0);
    host::HostField b = view.field_by_name("name");
    host::HostField c = view.field(0);
    EXPECT_NE(a.get(), c.get()) << "each call hands out a new field";
    EXPECT_EQ(MemoryField::live_count(), fields_before_ + 3);
    EXPECT_EQ(data->ref_count(), 5u) << "each field holds its dataset";
    EXPECT_EQ(a.get()->lpVtbl->AddRef(a.get()), 2u);
    EXPECT_EQ(a.get()->lpVtbl->Release(a.get()), 1u);
  }
  EXPECT_EQ(data->ref_count(), 1u);
  EXPECT_EQ(MemoryField::live_count(), fields_before_);
  EXPECT_EQ(MemoryDataSet::live_count(), datasets_before_ + 1);
  data.reset();
  EXPECT_EQ(MemoryDataSet::live_count(), datasets_before_);
}

TEST_P(LoadedDataSetTest, AFieldKeepsItsDatasetAlive) {
  auto data = prices();
  HostRef<IField> field;
  data->lpVtbl->GetField(field.put(), data.get(), 2);
  data.reset();
  EXPECT_EQ(MemoryDataSet::live_count(), datasets_before_ + 1);
  AbiVariant value;
  field->lpVtbl->Value(value.out(), field.get());
  EXPECT_EQ(host::read_host_variant(value.get()).string_value(), u"Аспирин");
  field.reset();
  EXPECT_EQ(MemoryDataSet::live_count(), datasets_before_);
}

TEST_P(LoadedDataSetTest, QueryInterfaceAnswersForItsOwnInterfaceOnly) {
  auto data = prices();
  const PxGuid own = PX_IID_IDATASET;
  const PxGuid other = PX_IID_IFIELD;
  void* object = nullptr;
  EXPECT_EQ(data->lpVtbl->QueryInterface(data.get(), &own, &object), kOk);
  EXPECT_EQ(object, static_cast<IDataSet*>(data.get()));
  EXPECT_EQ(data->ref_count(), 2u);
  data->lpVtbl->Release(data.get());
  EXPECT_EQ(data->lpVtbl->QueryInterface(data.get(), &kUnknownIid, &object), kOk);
  data->lpVtbl->Release(data.get());
  EXPECT_EQ(data->lpVtbl->QueryInterface(data.get(), &other, &object), kNoInterface);
  EXPECT_EQ(object, nullptr);
}

TEST_P(LoadedDataSetTest, PlannedFailureHitsTheNthCallOnce) {
  auto data = prices();
  HostDataSet view(data);
  data->fail_call(Operation::Post, 2, "Нарушение уникального ключа");
  data->fail_call(Operation::SetValue, 1);
  view.append();
  EXPECT_THROW_MSG(view.field(1).set_value(Variant::integer(1)), Error,
                   "Simulated failure of SetValue");
  view.field(1).set_value(Variant::integer(1));
  view.post();
  view.append();
  EXPECT_THROW_MSG(view.post(), Error,
                   platform::text_codec().utf8_to_ansi("Нарушение уникального ключа"));
  EXPECT_EQ(data->row_count(), 5u) << "the failed Post stored nothing";
  view.post();
  EXPECT_EQ(data->row_count(), 6u) << "the planned failure happens once";
  EXPECT_EQ(data->calls(Operation::Post), 3);
  EXPECT_EQ(data->calls(Operation::SetValue), 2);
  EXPECT_EQ(data->failures(), (std::vector<std::string>{"Simulated failure of SetValue",
                                                        "Нарушение уникального ключа"}));
}

TEST_F(MemoryDataSetTest, CreateAndAddRowRefuseInconsistentColumns) {
  EXPECT_THROW_MSG(MemoryDataSet::create({{u"qty", ftInteger, 0}, {u"QTY", ftFloat, 0}}), Error,
                   "Duplicate column name 'QTY'");
  auto data = MemoryDataSet::create({{u"qty", ftInteger, 0}});
  EXPECT_THROW_MSG(data->add_row({}), Error, "A row of 0 values for 1 columns");
  data->add_row({Variant::ascii("7")});
  EXPECT_EQ(data->value(0, 0).kind(), Variant::Kind::Integer);
}

}  // namespace
}  // namespace pharmex::memhost
