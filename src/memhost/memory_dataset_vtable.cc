// The IDataSet operations of MemoryDataSet: the C table the library calls.
// Each operation runs inside a catch-all, so no exception crosses the
// boundary: a failure is recorded on the dataset and reported to the library.
#include <exception>

#include "core/error.h"
#include "host/host_variant.h"
#include "memhost/memory_dataset.h"
#include "memhost/memory_field.h"
#include "memhost/query_interface.h"
#include "platform/text_codec.h"

namespace pharmex::memhost {

namespace {

constexpr PxGuid kDataSetIid = PX_IID_IDATASET;

std::u16string host_text(const PxChar16* text) {
  std::u16string copy;
  if (text == nullptr) return copy;
  for (; *text != 0; ++text)
    copy.push_back(static_cast<char16_t>(*text));
  return copy;
}

}  // namespace

struct DataSetVtable {
  static MemoryDataSet& self(IDataSet* dataset) noexcept {
    return *static_cast<MemoryDataSet*>(dataset);
  }

  template <class Result, class Body>
  static Result guarded(IDataSet* dataset, Operation operation, Result fallback,
                        Body&& body) noexcept {
    MemoryDataSet& set = self(dataset);
    try {
      set.begin_call(operation);
      return body(set);
    } catch (...) {
      set.record_failure();
      return fallback;
    }
  }

  static int32_t PX_STDCALL query_interface(IDataSet* dataset, const PxGuid* iid,
                                            void** object) noexcept {
    return answer_query(dataset, kDataSetIid, iid, object);
  }

  static uint32_t PX_STDCALL add_ref(IDataSet* dataset) noexcept { return ++self(dataset).refs_; }

  static uint32_t PX_STDCALL release(IDataSet* dataset) noexcept {
    uint32_t left = --self(dataset).refs_;
    if (left == 0) delete &self(dataset);
    return left;
  }

  static int32_t PX_STDCALL field_count(IDataSet* dataset) noexcept {
    return guarded(dataset, Operation::FieldCount, int32_t{0},
                   [](MemoryDataSet& set) { return static_cast<int32_t>(set.columns().size()); });
  }

  static void PX_STDCALL get_field(IField** result, IDataSet* dataset, int32_t index) noexcept {
    *result = nullptr;
    guarded(dataset, Operation::GetField, 0, [&](MemoryDataSet& set) {
      size_t column = set.checked_column(index);
      *result = MemoryField::create(host::HostRef<MemoryDataSet>::retain(&set), column).detach();
      return 0;
    });
  }

  static void PX_STDCALL field_by_name(IField** result, IDataSet* dataset,
                                       const PxChar16* name) noexcept {
    *result = nullptr;
    guarded(dataset, Operation::FieldByName, 0, [&](MemoryDataSet& set) {
      if (std::optional<size_t> column = set.column_index(host_text(name))) {
        *result = MemoryField::create(host::HostRef<MemoryDataSet>::retain(&set), *column).detach();
      }
      return 0;
    });
  }

  static void PX_STDCALL first(IDataSet* dataset) noexcept {
    guarded(dataset, Operation::First, 0, [](MemoryDataSet& set) {
      set.first();
      return 0;
    });
  }

  static void PX_STDCALL next(IDataSet* dataset) noexcept {
    guarded(dataset, Operation::Next, 0, [](MemoryDataSet& set) {
      set.next();
      return 0;
    });
  }

  // Slots the library never calls: a call is a fault of the caller.
  static void PX_STDCALL reserved(IDataSet* dataset) noexcept {
    MemoryDataSet& set = self(dataset);
    try {
      raise<Error>("Reserved IDataSet operation called");
    } catch (...) {
      set.record_failure();
    }
  }

  static PxBool PX_STDCALL eof(IDataSet* dataset) noexcept {
    return guarded(dataset, Operation::Eof, PxBool{1},
                   [](MemoryDataSet& set) { return static_cast<PxBool>(set.eof() ? 1 : 0); });
  }

  static PxBool PX_STDCALL locate(IDataSet* dataset, const PxChar16* key_fields,
                                  const PxVariant* key, uint8_t /*options*/) noexcept {
    return guarded(dataset, Operation::Locate, PxBool{0}, [&](MemoryDataSet& set) {
      Variant value = key == nullptr ? Variant::null() : host::read_host_variant(*key);
      return static_cast<PxBool>(set.locate(host_text(key_fields), value) ? 1 : 0);
    });
  }

  static void PX_STDCALL append(IDataSet* dataset) noexcept {
    guarded(dataset, Operation::Append, 0, [](MemoryDataSet& set) {
      set.append();
      return 0;
    });
  }

  static void PX_STDCALL edit(IDataSet* dataset) noexcept {
    guarded(dataset, Operation::Edit, 0, [](MemoryDataSet& set) {
      set.edit();
      return 0;
    });
  }

  static void PX_STDCALL post(IDataSet* dataset) noexcept {
    guarded(dataset, Operation::Post, 0, [](MemoryDataSet& set) {
      set.post();
      return 0;
    });
  }

  static int32_t PX_STDCALL record_count(IDataSet* dataset) noexcept {
    return guarded(dataset, Operation::RecordCount, int32_t{0},
                   [](MemoryDataSet& set) { return static_cast<int32_t>(set.row_count()); });
  }

  // Designated, so that a slot out of place does not compile.
  static constexpr IDataSetVtbl kTable = {
      .QueryInterface = query_interface,
      .AddRef = add_ref,
      .Release = release,
      .FieldCount = field_count,
      .GetField = get_field,
      .FieldByName = field_by_name,
      .First = first,
      .Reserved1 = reserved,
      .Next = next,
      .Reserved2 = reserved,
      .Reserved3 = reserved,
      .Eof = eof,
      .Locate = locate,
      .Append = append,
      .Edit = edit,
      .Post = post,
      .Reserved4 = reserved,
      .RecordCount = record_count,
  };
};

host::HostRef<MemoryDataSet> MemoryDataSet::create(std::vector<Column> columns) {
  for (size_t i = 0; i < columns.size(); ++i) {
    for (size_t j = 0; j < i; ++j) {
      if (same_column_name(columns[i].name, columns[j].name)) {
        raise<Error>("Duplicate column name '%s'",
                     {platform::text_codec().utf16_to_ansi(columns[i].name)});
      }
    }
  }
  auto* dataset = new MemoryDataSet(std::move(columns), RowStore());
  dataset->lpVtbl = &DataSetVtable::kTable;
  return host::HostRef<MemoryDataSet>::adopt(dataset);
}

host::HostRef<MemoryDataSet> MemoryDataSet::create_over(std::unique_ptr<CsvFileRows> rows) {
  std::vector<Column> columns = rows->columns();  // their names differ: the file was checked
  auto* dataset = new MemoryDataSet(std::move(columns), RowStore(std::move(rows)));
  dataset->lpVtbl = &DataSetVtable::kTable;
  return host::HostRef<MemoryDataSet>::adopt(dataset);
}

}  // namespace pharmex::memhost
