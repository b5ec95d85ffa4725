#include "host/host_dataset.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "core/abi_variant.h"
#include "core/error.h"
#include "host/host_call.h"
#include "platform/text_codec.h"

namespace pharmex::host {

namespace {

// A zero-terminated copy in the host's code-unit type.
std::vector<PxChar16> host_text(std::u16string_view text) {
  std::vector<PxChar16> units(text.begin(), text.end());
  units.push_back(0);
  return units;
}

// The same for the key column names of Locate, called once per row: short
// names stay on the stack.
class KeyNames {
 public:
  explicit KeyNames(std::u16string_view text) {
    PxChar16* units = small_;
    if (text.size() >= std::size(small_)) {
      large_.resize(text.size() + 1);
      units = large_.data();
    }
    std::copy(text.begin(), text.end(), units);
    units[text.size()] = 0;
    data_ = units;
  }
  KeyNames(const KeyNames&) = delete;
  KeyNames& operator=(const KeyNames&) = delete;

  const PxChar16* data() const { return data_; }

 private:
  PxChar16 small_[64];
  std::vector<PxChar16> large_;
  const PxChar16* data_ = nullptr;
};

}  // namespace

HostDataSet::HostDataSet(HostRef<IDataSet> dataset) : dataset_(std::move(dataset)) {
  if (!dataset_) raise<Error>("No dataset was given");
}

int32_t HostDataSet::field_count() const {
  IDataSet* self = dataset_.get();
  return call_host("IDataSet.FieldCount", [self] { return self->lpVtbl->FieldCount(self); });
}

HostField HostDataSet::field(int32_t index) const {
  IDataSet* self = dataset_.get();
  HostRef<IField> field;
  IField** slot = field.put();
  call_host("IDataSet.GetField", [=] { self->lpVtbl->GetField(slot, self, index); });
  return HostField(std::move(field), format_message("#%d", {int64_t{index}}));
}

HostField HostDataSet::field_by_name(std::u16string_view name) const {
  IDataSet* self = dataset_.get();
  std::vector<PxChar16> text = host_text(name);
  HostRef<IField> field;
  IField** slot = field.put();
  const PxChar16* units = text.data();
  call_host("IDataSet.FieldByName", [=] { self->lpVtbl->FieldByName(slot, self, units); });
  return HostField(std::move(field), platform::text_codec().utf16_to_ansi(name));
}

HostField HostDataSet::field_by_name(std::string_view ansi_name) const {
  return field_by_name(platform::text_codec().ansi_to_utf16(ansi_name));
}

void HostDataSet::first() const {
  IDataSet* self = dataset_.get();
  call_host("IDataSet.First", [self] { self->lpVtbl->First(self); });
}

void HostDataSet::next() const {
  IDataSet* self = dataset_.get();
  call_host("IDataSet.Next", [self] { self->lpVtbl->Next(self); });
}

bool HostDataSet::eof() const {
  IDataSet* self = dataset_.get();
  return call_host("IDataSet.Eof", [self] { return self->lpVtbl->Eof(self); }) != 0;
}

int32_t HostDataSet::record_count() const {
  IDataSet* self = dataset_.get();
  return call_host("IDataSet.RecordCount", [self] { return self->lpVtbl->RecordCount(self); });
}

void HostDataSet::append() const {
  IDataSet* self = dataset_.get();
  call_host("IDataSet.Append", [self] { self->lpVtbl->Append(self); });
}

void HostDataSet::edit() const {
  IDataSet* self = dataset_.get();
  call_host("IDataSet.Edit", [self] { self->lpVtbl->Edit(self); });
}

void HostDataSet::post() const {
  IDataSet* self = dataset_.get();
  call_host("IDataSet.Post", [self] { self->lpVtbl->Post(self); });
}

bool HostDataSet::locate(std::u16string_view key_fields, const Variant& key) const {
  const AbiVariant value(key);
  return locate(key_fields, value.get());
}

bool HostDataSet::locate(std::u16string_view key_fields, const PxVariant& key) const {
  IDataSet* self = dataset_.get();
  const KeyNames names(key_fields);
  const PxChar16* units = names.data();
  const PxVariant* argument = &key;
  PxBool found =
      call_host("IDataSet.Locate", [=] { return self->lpVtbl->Locate(self, units, argument, 0); });
  return found != 0;
}

bool HostDataSet::locate(std::string_view ansi_key_fields, const Variant& key) const {
  return locate(platform::text_codec().ansi_to_utf16(ansi_key_fields), key);
}

}  // namespace pharmex::host
