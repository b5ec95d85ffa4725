#include "memhost/memory_field.h"

#include "host/host_variant.h"
#include "memhost/query_interface.h"

namespace pharmex::memhost {

namespace {

std::atomic<int64_t> live_fields{0};

constexpr PxGuid kFieldIid = PX_IID_IFIELD;

}  // namespace

// The IField operations. Each one runs inside a catch-all: a failure is
// recorded on the dataset and reported to the library, never thrown.
struct FieldVtable {
  static MemoryField& self(IField* field) noexcept { return *static_cast<MemoryField*>(field); }

  template <class Result, class Body>
  static Result guarded(IField* field, Operation operation, Result fallback, Body&& body) noexcept {
    MemoryDataSet& dataset = self(field).dataset();
    try {
      dataset.begin_call(operation);
      return body(self(field));
    } catch (...) {
      dataset.record_failure();
      return fallback;
    }
  }

  static int32_t PX_STDCALL query_interface(IField* field, const PxGuid* iid,
                                            void** object) noexcept {
    return answer_query(field, kFieldIid, iid, object);
  }

  static uint32_t PX_STDCALL add_ref(IField* field) noexcept { return ++self(field).refs_; }

  static uint32_t PX_STDCALL release(IField* field) noexcept {
    uint32_t left = --self(field).refs_;
    if (left == 0) delete &self(field);
    return left;
  }

  static const PxChar16* PX_STDCALL name(IField* field) noexcept {
    static const PxChar16 kNone[1] = {0};
    return guarded(field, Operation::Name, kNone,
                   [](MemoryField& f) -> const PxChar16* { return f.name_.data(); });
  }

  static uint8_t PX_STDCALL data_type(IField* field) noexcept {
    return guarded(field, Operation::DataType, uint8_t{ftUnknown}, [](MemoryField& f) {
      return static_cast<uint8_t>(f.dataset().columns()[f.column()].type);
    });
  }

  static int32_t PX_STDCALL size(IField* field) noexcept {
    return guarded(field, Operation::Size, int32_t{0},
                   [](MemoryField& f) { return f.dataset().columns()[f.column()].size; });
  }

  static void PX_STDCALL value(PxVariant* result, IField* field) noexcept {
    // The slot may hold anything; it always receives a valid variant.
    pharmex_variant_init(result);
    result->vt = PX_VT_NULL;
    guarded(field, Operation::Value, 0, [&](MemoryField& f) {
      f.dataset().current_abi_value(f.column(), *result);
      return 0;
    });
  }

  static void PX_STDCALL set_value(IField* field, PxVariant value) noexcept {
    guarded(field, Operation::SetValue, 0, [&](MemoryField& f) {
      f.dataset().set_current_value(f.column(), host::read_host_variant(value));
      return 0;
    });
  }

  static constexpr IFieldVtbl kTable = {
      .QueryInterface = query_interface,
      .AddRef = add_ref,
      .Release = release,
      .Name = name,
      .DataType = data_type,
      .Size = size,
      .Value = value,
      .SetValue = set_value,
  };
};

MemoryField::MemoryField(host::HostRef<MemoryDataSet> dataset, size_t column)
    : IField{&FieldVtable::kTable}, dataset_(std::move(dataset)), column_(column) {
  const std::u16string& name = dataset_->columns()[column].name;
  name_.assign(name.begin(), name.end());
  name_.push_back(0);
  ++live_fields;
}

MemoryField::~MemoryField() {
  --live_fields;
}

host::HostRef<MemoryField> MemoryField::create(host::HostRef<MemoryDataSet> dataset,
                                               size_t column) {
  return host::HostRef<MemoryField>::adopt(new MemoryField(std::move(dataset), column));
}

int64_t MemoryField::live_count() {
  return live_fields;
}

}  // namespace pharmex::memhost
