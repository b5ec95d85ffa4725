// HostDataSet: the library's view of a host row cursor (IDataSet), holding
// one reference on it. The routines read and write host data only through
// this view and HostField.
//
// Every call goes through the host's table of operations; a failure the host
// reports during a call is raised as Error with the host's message
// (host/host_failure.h). Names given as std::string_view are ANSI and are
// converted to the host's UTF-16.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/variant.h"
#include "host/host_field.h"
#include "host/host_ref.h"
#include "pharmex/host.h"

namespace pharmex::host {

class HostDataSet {
 public:
  // Throws Error("No dataset was given") for a null reference.
  explicit HostDataSet(HostRef<IDataSet> dataset);

  IDataSet* get() const { return dataset_.get(); }

  int32_t field_count() const;
  // Column `index` (0-based, in the host's order); null when the host has none.
  HostField field(int32_t index) const;
  // Column by name; null when the host has no such column.
  HostField field_by_name(std::u16string_view name) const;
  HostField field_by_name(std::string_view ansi_name) const;

  void first() const;
  void next() const;
  bool eof() const;
  // Rows the cursor will visit; read it once, before the first row.
  int32_t record_count() const;

  void append() const;
  void edit() const;
  void post() const;

  // Moves to the first row whose key columns (names separated by ";") hold
  // exactly the key: one value for one column, an array with one element per
  // column for several. False when there is none.
  bool locate(std::u16string_view key_fields, const Variant& key) const;
  bool locate(std::string_view ansi_key_fields, const Variant& key) const;
  // The same with the key in the host's form, handed over as it is.
  bool locate(std::u16string_view key_fields, const PxVariant& key) const;

 private:
  HostRef<IDataSet> dataset_;
};

}  // namespace pharmex::host
