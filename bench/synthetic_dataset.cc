#include "synthetic_dataset.h"

#include <atomic>
#include <cmath>
#include <cstring>

namespace pharmex::bench {

namespace {

char16_t fold(char16_t unit) {
  return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 0x20) : unit;
}

bool same_name(std::u16string_view a, const PxChar16* b) {
  size_t i = 0;
  for (; i < a.size(); ++i) {
    if (b[i] == 0 || fold(a[i]) != fold(static_cast<char16_t>(b[i]))) return false;
  }
  return b[i] == 0;
}

std::u16string_view host_view(const PxChar16* text) {
  if (text == nullptr) return {};
  size_t length = 0;
  while (text[length] != 0)
    ++length;
  return {reinterpret_cast<const char16_t*>(text), length};
}

// Operations answered, every dataset and field together.
int64_t operations = 0;

}  // namespace

int64_t synthetic_operations() {
  return operations;
}

class SyntheticDataSet;

struct SyntheticField : IField {
  SyntheticDataSet* owner = nullptr;
  size_t column = 0;
  std::vector<PxChar16> name;  // zero-terminated
};

class SyntheticDataSet : public IDataSet {
 public:
  explicit SyntheticDataSet(SyntheticTable table);

  // Every operation starts by finding its object here, and is counted.
  static SyntheticDataSet& self(IDataSet* dataset) {
    ++operations;
    return *static_cast<SyntheticDataSet*>(dataset);
  }
  static SyntheticField& field(IField* field) {
    ++operations;
    return *static_cast<SyntheticField*>(field);
  }

  uint32_t add_ref() { return ++refs_; }
  uint32_t release() {
    const uint32_t left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  static int32_t PX_STDCALL QueryInterface(IDataSet*, const PxGuid*, void** object) {
    *object = nullptr;
    return static_cast<int32_t>(0x80004002u);  // E_NOINTERFACE: never asked
  }
  static uint32_t PX_STDCALL AddRef(IDataSet* d) { return self(d).add_ref(); }
  static uint32_t PX_STDCALL Release(IDataSet* d) { return self(d).release(); }
  static int32_t PX_STDCALL FieldCount(IDataSet* d) {
    return static_cast<int32_t>(self(d).fields_.size());
  }
  static void PX_STDCALL GetField(IField** result, IDataSet* d, int32_t index) {
    SyntheticDataSet& set = self(d);
    *result = nullptr;
    if (index < 0 || static_cast<size_t>(index) >= set.fields_.size()) return;
    *result = &set.fields_[static_cast<size_t>(index)];
    set.add_ref();
  }
  static void PX_STDCALL FieldByName(IField** result, IDataSet* d, const PxChar16* name) {
    SyntheticDataSet& set = self(d);
    *result = nullptr;
    for (size_t i = 0; i < set.fields_.size(); ++i) {
      if (same_name(set.table_.columns[i].name, name)) {
        *result = &set.fields_[i];
        set.add_ref();
        return;
      }
    }
  }
  static void PX_STDCALL First(IDataSet* d) { self(d).row_ = 0; }
  static void PX_STDCALL Next(IDataSet* d) {
    SyntheticDataSet& set = self(d);
    if (set.row_ < set.table_.rows) ++set.row_;
  }
  static PxBool PX_STDCALL Eof(IDataSet* d) {
    SyntheticDataSet& set = self(d);
    return set.row_ >= set.table_.rows ? 1 : 0;
  }
  static PxBool PX_STDCALL Locate(IDataSet* d, const PxChar16* key_fields, const PxVariant* key,
                                  uint8_t) {
    SyntheticDataSet& set = self(d);
    if (set.table_.locator == nullptr || key == nullptr) return 0;
    const int64_t row = set.table_.locator(host_view(key_fields), *key);
    if (row < 0 || row >= set.table_.rows) return 0;
    set.row_ = row;
    return 1;
  }
  static void PX_STDCALL ReadOnly(IDataSet*) {
    pharmex_report_host_failure("The benchmark's host data are read-only");
  }
  static int32_t PX_STDCALL RecordCount(IDataSet* d) {
    return static_cast<int32_t>(self(d).table_.rows);
  }

  static int32_t PX_STDCALL FieldQueryInterface(IField*, const PxGuid*, void** object) {
    *object = nullptr;
    return static_cast<int32_t>(0x80004002u);
  }
  static uint32_t PX_STDCALL FieldAddRef(IField* f) { return field(f).owner->add_ref(); }
  static uint32_t PX_STDCALL FieldRelease(IField* f) { return field(f).owner->release(); }
  static const PxChar16* PX_STDCALL Name(IField* f) { return field(f).name.data(); }
  static uint8_t PX_STDCALL DataType(IField* f) {
    const SyntheticField& sf = field(f);
    return static_cast<uint8_t>(sf.owner->table_.columns[sf.column].type);
  }
  static int32_t PX_STDCALL Size(IField* f) {
    const SyntheticField& sf = field(f);
    return sf.owner->table_.columns[sf.column].size;
  }
  static void PX_STDCALL Value(PxVariant* result, IField* f) {
    const SyntheticField& sf = field(f);
    const SyntheticDataSet& set = *sf.owner;
    pharmex_variant_init(result);
    if (set.row_ >= set.table_.rows) {
      result->vt = PX_VT_NULL;
      return;
    }
    set.table_.columns[sf.column].value(set.row_, result);
  }
  static void PX_STDCALL SetValue(IField*, PxVariant) {
    pharmex_report_host_failure("The benchmark's host data are read-only");
  }

 private:
  static const IDataSetVtbl kDataSetTable;
  static const IFieldVtbl kFieldTable;

  std::atomic<uint32_t> refs_{1};
  SyntheticTable table_;
  std::vector<SyntheticField> fields_;
  int64_t row_ = 0;
};

const IDataSetVtbl SyntheticDataSet::kDataSetTable = {
    .QueryInterface = QueryInterface,
    .AddRef = AddRef,
    .Release = Release,
    .FieldCount = FieldCount,
    .GetField = GetField,
    .FieldByName = FieldByName,
    .First = First,
    .Reserved1 = ReadOnly,
    .Next = Next,
    .Reserved2 = ReadOnly,
    .Reserved3 = ReadOnly,
    .Eof = Eof,
    .Locate = Locate,
    .Append = ReadOnly,
    .Edit = ReadOnly,
    .Post = ReadOnly,
    .Reserved4 = ReadOnly,
    .RecordCount = RecordCount,
};

const IFieldVtbl SyntheticDataSet::kFieldTable = {
    .QueryInterface = FieldQueryInterface,
    .AddRef = FieldAddRef,
    .Release = FieldRelease,
    .Name = Name,
    .DataType = DataType,
    .Size = Size,
    .Value = Value,
    .SetValue = SetValue,
};

SyntheticDataSet::SyntheticDataSet(SyntheticTable table)
    : IDataSet{&kDataSetTable}, table_(std::move(table)), fields_(table_.columns.size()) {
  for (size_t i = 0; i < fields_.size(); ++i) {
    SyntheticField& f = fields_[i];
    f.lpVtbl = &kFieldTable;
    f.owner = this;
    f.column = i;
    f.name.assign(table_.columns[i].name.begin(), table_.columns[i].name.end());
    f.name.push_back(0);
  }
}

SyntheticRef::~SyntheticRef() {
  if (dataset_ != nullptr) SyntheticDataSet::Release(dataset_);
}

IDataSet* SyntheticRef::get() const {
  return dataset_;
}

SyntheticRef make_synthetic(SyntheticTable table) {
  return SyntheticRef(new SyntheticDataSet(std::move(table)));
}

void set_integer(PxVariant* out, int32_t value) {
  out->vt = PX_VT_I4;
  out->value.i4 = value;
}

void set_int64(PxVariant* out, int64_t value) {
  out->vt = PX_VT_I8;
  out->value.i8 = value;
}

void set_double(PxVariant* out, double value) {
  out->vt = PX_VT_R8;
  out->value.r8 = value;
}

void set_date(PxVariant* out, double days_since_1899_12_30) {
  out->vt = PX_VT_DATE;
  out->value.date = days_since_1899_12_30;
}

void set_text(PxVariant* out, std::u16string_view prefix, int64_t number) {
  PxChar16 buffer[1024];
  size_t length = std::min(prefix.size(), sizeof buffer / sizeof buffer[0] - 24);
  std::memcpy(buffer, prefix.data(), length * sizeof(PxChar16));
  if (number >= 0) {
    char digits[24];
    size_t count = 0;
    do {
      digits[count++] = static_cast<char>('0' + number % 10);
      number /= 10;
    } while (number > 0);
    while (count > 0)
      buffer[length++] = static_cast<PxChar16>(digits[--count]);
  }
  out->vt = PX_VT_BSTR;
  out->value.bstr = pharmex_string_alloc(buffer, static_cast<uint32_t>(length));
}

bool key_number(const PxVariant& key, int64_t* value) {
  switch (key.vt) {
    case PX_VT_I2:
      *value = key.value.i2;
      return true;
    case PX_VT_I4:
      *value = key.value.i4;
      return true;
    case PX_VT_I8:
      *value = key.value.i8;
      return true;
    case PX_VT_R8: {
      const double number = key.value.r8;
      if (!(std::fabs(number) < 9e15) || number != std::floor(number)) return false;
      *value = static_cast<int64_t>(number);
      return true;
    }
    case PX_VT_BSTR: {
      const uint32_t length = pharmex_string_length(key.value.bstr);
      if (length == 0 || length > 18) return false;
      int64_t number = 0;
      for (uint32_t i = 0; i < length; ++i) {
        const PxChar16 unit = key.value.bstr[i];
        if (unit < u'0' || unit > u'9') return false;
        number = number * 10 + (unit - u'0');
      }
      *value = number;
      return true;
    }
    default:
      return false;
  }
}

const PxVariant* key_item(const PxVariant& key, uint32_t index) {
  if (key.vt != PX_VT_ARRAY_VARIANT) return nullptr;
  return pharmex_array_item(key.value.array, index);
}

}  // namespace pharmex::bench
