// HostField: the library's view of one host column (IField), holding one
// reference on it.
//
// Every call goes through the host's table of operations; a failure the host
// reports during a call is raised as Error with the host's message
// (host/host_failure.h). A HostField may be null (the host has no such
// column): test it with operator bool; reading or writing through a null
// field raises Error "The host data have no column '%s'" with the name asked
// for, so a layout that needs a column the host lacks fails with a clear message.
#pragma once

#include <cstdint>
#include <string>

#include "core/abi_variant.h"
#include "core/variant.h"
#include "host/host_call.h"
#include "host/host_ref.h"
#include "pharmex/host.h"

namespace pharmex::host {

class HostField {
 public:
  HostField() = default;
  // `lookup` is the ANSI name (or "#index") the field was asked for, used
  // in the message when the host returned none.
  HostField(HostRef<IField> field, std::string lookup)
      : field_(std::move(field)), lookup_(std::move(lookup)) {}

  explicit operator bool() const { return static_cast<bool>(field_); }
  IField* get() const { return field_.get(); }

  // The column's name as the host spells it, copied at once.
  std::u16string name_utf16() const;
  // The same in the ANSI code page (characters it lacks become '?').
  std::string name() const;
  // A TFieldType ordinal: the low 7 bits of what the host reports. Compare
  // it with the ft* constants as a number: a host may report an ordinal the
  // enumeration lacks, which is no valid TFieldType value.
  uint8_t data_type() const;
  // Declared width of a string column, in characters.
  int32_t size() const;
  // The value in the host's current row (null when there is none). A type
  // the library cannot read throws VariantError "Could not convert variant
  // of type ($0009) into type (Variant) in column 'name'".
  Variant value() const;
  // The same into `out`, whose text storage a string reuses: a layout that
  // reads a column on every row keeps one variant for it and allocates
  // nothing per value.
  void read_value(Variant& out) const;
  // read_value in two steps, for a caller that copies the usual tags of the
  // host's variant itself: the value as the host returned it, into `result`
  // (which frees what it held), and that value as a Variant into `out`,
  // failing as read_value does.
  // Inlined wherever it is called: exports read a value a column a row, and
  // link-time optimisation stops inlining it once it has many callers.
  [[gnu::always_inline]] void read_raw(AbiVariant& result) const {
    IField* field = &checked();
    PxVariant* slot = result.out();
    call_host("IField.Value", [=] { field->lpVtbl->Value(slot, field); });
  }
  void to_variant(const AbiVariant& raw, Variant& out) const;
  // Stores a value into the current row, which the host must be appending or
  // editing. The host keeps a copy.
  void set_value(const Variant& value) const;

 private:
  IField& checked() const;
  // The column for a message: the name it was asked for by, else the host's.
  std::string column_name() const;

  HostRef<IField> field_;
  std::string lookup_;
};

}  // namespace pharmex::host
