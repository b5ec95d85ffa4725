// FixedRow: what a fixed table layout's own conversions see of the host's
// current rows while a record is filled (or the run's totals are summed): the
// walked dataset's columns by name, the header dataset's columns by name (the
// waybill header row the line filter positioned), the run's totals and the
// settings host values are combined by.
//
// Each column is looked up once per run, when it is first asked for, and its
// value read once per row: two fields computed from "price" read it once. A
// column the host lacks fails when its value is first read ("The host data
// have no column '%s'"). A plain column field takes the value as the host
// returned it (export/host_value_copy.h); it becomes a Variant only when a
// conversion asks for it, or at once for the host's less usual tags. Each
// column keeps one variant that its values are converted into from row to
// row, so a row's texts allocate nothing once the first rows have made room;
// the references handed out stay valid until the cursors move on (next_row).
//
// Given a count of the header cursor's moves (a waybill's, from the line
// filter), a header column is read once per header row instead of once per
// row: the lines of one waybill share its header's values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "core/abi_variant.h"
#include "core/variant.h"
#include "dbf/dbf_field.h"
#include "export/host_value_copy.h"
#include "host/host_dataset.h"
#include "host/host_field.h"

namespace pharmex::exporting {

class FixedRow {
 public:
  // `headers` may be null: the layout reads no header column. The names a
  // row is asked for must outlive it (they come from the layouts' tables).
  // `header_moves`, when given, counts the header cursor's moves from 1 and
  // outlives the row.
  FixedRow(const host::HostDataSet& walked, const host::HostDataSet* headers,
           const RegionalSettings& settings, size_t total_count,
           const uint64_t* header_moves = nullptr)
      : walked_(walked),
        headers_(headers),
        settings_(settings),
        totals_(total_count, 0.0),
        header_moves_(header_moves != nullptr ? header_moves : &row_) {}
  // The slots point at the row's own count: a row stays where it was made.
  FixedRow(const FixedRow&) = delete;
  FixedRow& operator=(const FixedRow&) = delete;

  // The value of a column in the walked dataset's current row.
  const Variant& column(std::string_view name) { return value(column_slot(name)); }
  // The value of a column in the header dataset's current row.
  const Variant& header(std::string_view name) { return value(header_slot(name)); }
  // The value of a column in the walked dataset's current row when the host
  // returned a number (export/host_value_copy.h), with no Variant; nothing
  // for any other value, which column() then converts.
  // Inlined into the computed fields, which ask on every record.
  [[gnu::always_inline]] std::optional<HostNumber> number(std::string_view name) {
    const Slot& column = read(column_slot(name));
    if (column.converted) return std::nullopt;
    return host_number(column.raw.get());
  }

  // A run total, 0 until the layout's sums add to it.
  double& total(size_t index) { return totals_.at(index); }

  const RegionalSettings& settings() const { return settings_; }

  // A column's place among those looked up, for a caller that reads it on
  // every row (the layout's plain column fields), and its value by that place.
  size_t column_slot(std::string_view name) { return slot(&walked_, name); }
  size_t header_slot(std::string_view name) { return slot(headers_, name); }
  const Variant& value(size_t slot);
  // Assigns a field the value by that place, with no Variant where the
  // host's tag allows (export/host_value_copy.h). Inlined into the fill of
  // every record's plain fields.
  [[gnu::always_inline]] void copy_value(size_t slot, dbf::TDbfField& field) {
    Slot& column = read(slot);
    if (column.converted || !copy_host_value(column.raw.get(), field)) field.SetValue(value(slot));
  }

  // The cursors have moved on: values read before are forgotten.
  void next_row();

 private:
  struct Slot {
    const host::HostDataSet* dataset;
    std::string_view name;
    host::HostField field;
    const uint64_t* clock;  // the row count its values belong to: row_ or header_moves_
    AbiVariant raw;
    Variant value;
    uint64_t read_in = 0;    // *clock when raw was last read (clocks count from 1)
    bool converted = false;  // into value, from raw
  };

  // The column's value as the host returned it, read once per row (or per
  // header row). Inlined into its callers: it runs for every field of every
  // record, and link-time optimisation stops inlining it by itself.
  [[gnu::always_inline]] Slot& read(size_t slot) {
    Slot& column = *slots_[slot];
    if (column.read_in != *column.clock) {
      column.field.read_raw(column.raw);
      column.read_in = *column.clock;
      column.converted = false;
      // What may not outlive the next host call, or fails to convert, is
      // converted now.
      if (!copies_directly(column.raw.get())) {
        column.field.to_variant(column.raw, column.value);
        column.converted = true;
      }
    }
    return column;
  }

  // The n-th question of a row checked against the n-th answer of the row
  // before, inline: the computed fields ask on every record.
  [[gnu::always_inline]] size_t slot(const host::HostDataSet* dataset, std::string_view name) {
    if (asked_count_ < asked_.size()) {
      const Asked& known = asked_[asked_count_];
      if (known.dataset == dataset && known.name == name.data() && known.size == name.size()) {
        ++asked_count_;
        return known.slot;
      }
    }
    return ask(dataset, name);
  }
  // A question the row before answered otherwise, or did not ask.
  size_t ask(const host::HostDataSet* dataset, std::string_view name);
  size_t search(const host::HostDataSet* dataset, std::string_view name);
  const uint64_t* clock_of(const host::HostDataSet* dataset) const {
    return dataset == headers_ && dataset != &walked_ ? header_moves_ : &row_;
  }

  const host::HostDataSet& walked_;
  const host::HostDataSet* headers_;
  RegionalSettings settings_;
  std::vector<double> totals_;
  // Each slot apart: one added while a caller holds another's value leaves
  // that reference valid.
  std::vector<std::unique_ptr<Slot>> slots_;
  // The slots asked for by name in the current row, in the order asked. A
  // layout's computations ask for the same columns in the same order on
  // every row, so the n-th question of a row is first checked against the
  // n-th answer of the row before (its name's address): no search by name
  // once the first row is done.
  struct Asked {
    const host::HostDataSet* dataset;
    const char* name;  // the name's address and size, as asked
    size_t size;
    size_t slot;
  };
  std::vector<Asked> asked_;
  size_t asked_count_ = 0;
  uint64_t row_ = 1;  // the current row's number: a slot read in another is unread
  const uint64_t* header_moves_;
};

}  // namespace pharmex::exporting
