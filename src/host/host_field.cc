#include "host/host_field.h"

#include "core/abi_variant.h"
#include "core/error.h"
#include "host/host_call.h"
#include "host/host_variant.h"
#include "platform/text_codec.h"

namespace pharmex::host {

IField& HostField::checked() const {
  if (!field_) raise<Error>("The host data have no column '%s'", {lookup_});
  return *field_;
}

std::u16string HostField::name_utf16() const {
  IField* field = &checked();
  const PxChar16* name = call_host("IField.Name", [field] { return field->lpVtbl->Name(field); });
  std::u16string copy;
  if (name == nullptr) return copy;
  for (const PxChar16* unit = name; *unit != 0; ++unit)
    copy.push_back(static_cast<char16_t>(*unit));
  return copy;
}

std::string HostField::name() const {
  return platform::text_codec().utf16_to_ansi(name_utf16());
}

uint8_t HostField::data_type() const {
  IField* field = &checked();
  uint8_t type = call_host("IField.DataType", [field] { return field->lpVtbl->DataType(field); });
  return static_cast<uint8_t>(type & 0x7F);
}

int32_t HostField::size() const {
  IField* field = &checked();
  return call_host("IField.Size", [field] { return field->lpVtbl->Size(field); });
}

Variant HostField::value() const {
  Variant out;
  read_value(out);
  return out;
}

void HostField::read_value(Variant& out) const {
  AbiVariant result;
  read_raw(result);
  to_variant(result, out);
}

void HostField::to_variant(const AbiVariant& raw, Variant& out) const {
  try {
    read_host_variant_into(out, raw.get());
  } catch (const VariantError& refusal) {
    raise<VariantError>("%s in column '%s'", {refusal.what(), column_name()});
  }
}

std::string HostField::column_name() const {
  if (!lookup_.starts_with('#')) return lookup_;
  try {
    return name();
  } catch (const Error&) {
    return lookup_;  // the host cannot say either: its index, then
  }
}

void HostField::set_value(const Variant& value) const {
  IField* field = &checked();
  AbiVariant argument(value);
  const PxVariant* copy = &argument.get();
  call_host("IField.SetValue", [=] { field->lpVtbl->SetValue(field, *copy); });
}

}  // namespace pharmex::host
