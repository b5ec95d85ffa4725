// MemoryDataSet: an IDataSet over typed rows, the host the tests, the
// benchmarks and the command-line tool hand to the library. Its rows are
// held in memory (create, add_row, read_csv), or read on demand from a CSV
// file with the rows appended or edited since held in memory beside them
// (open_csv_file; memhost/row_store.h), so that a host file of any length
// costs a few bytes a row.
//
// It behaves like a database dataset of a host application:
//   - The cursor stands on row 0 when the dataset is created. First moves to
//     row 0, Next one row on; Eof is true past the last row (at once on an
//     empty dataset). Value reads null where there is no current row.
//   - Append starts a new row (all values null), Edit a copy of the current
//     row; SetValue writes into that pending row, Post stores it (an appended
//     row at the end) and makes it current. Moving the cursor (First, Next,
//     Locate) or calling Append while a row is pending discards the pending
//     row, as Cancel would; Edit while one is pending keeps it. SetValue and
//     Post without a pending row are refused ("Dataset not in edit or insert
//     mode"), so is Edit without a current row ("No current row to edit").
//   - SetValue and Locate convert values to the column's type with the
//     process-wide regional settings (memhost/column.h); a value SetValue
//     cannot convert is refused and the row keeps its previous value.
//   - FieldByName and Locate's key columns match names without regard to
//     case; FieldByName of a missing name yields a null interface.
//   - Locate converts each key value to its column's type and compares
//     exactly (strings with case): a text "1001" finds the integer 1001, null
//     finds only null, a value that does not convert finds nothing, and so
//     does one a numeric column cannot hold exactly (1001.4 finds no integer,
//     where rounding would find 1001; memhost/column.h). The cursor
//     moves to the first match and stays where it was when there is none.
//     Keys of typed columns are looked up in an index (memhost/locate_index.h)
//     built by the first Locate on those columns and kept current as rows are
//     added and posted, so N Locates among N rows cost about N, not N x N;
//     keys of untyped columns are compared row by row. Building the index
//     reads each row's key values once.
//
// Failures. No exception leaves an operation. A refused or failing operation
// does nothing, stores a neutral result (null interface, null value, false,
// 0), appends its message to failures() and reports it to the library with
// pharmex_report_host_failure, which ends the library's run with that message
// as a real host's exception would. fail_call() makes the n-th call of an
// operation fail on purpose, to test that callers clean up.
//
// References. The object is created with one reference, owned by the
// HostRef create() returns, and deleted when its count reaches 0. Each field
// handed out (GetField, FieldByName) is a new MemoryField carrying its own
// reference and holding one on the dataset. live_count() tells tests whether
// every reference was released.
//
// Not thread-safe: use a dataset on one thread at a time.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/variant.h"
#include "host/host_ref.h"
#include "memhost/column.h"
#include "memhost/csv_file_rows.h"
#include "memhost/locate_index.h"
#include "memhost/row_store.h"
#include "pharmex/host.h"

namespace pharmex::memhost {

// The operations of IDataSet and IField, for call counts and planned failures.
enum class Operation : uint8_t {
  FieldCount,
  GetField,
  FieldByName,
  First,
  Next,
  Eof,
  Locate,
  Append,
  Edit,
  Post,
  RecordCount,
  Name,
  DataType,
  Size,
  Value,
  SetValue,
};
inline constexpr size_t kOperationCount = 16;

// "Post", "SetValue", ...
std::string_view operation_name(Operation operation);

class MemoryDataSet : public IDataSet {
 public:
  enum class State { Browse, Edit, Append };

  // Throws Error("Duplicate column name '%s'") when two names match.
  static host::HostRef<MemoryDataSet> create(std::vector<Column> columns);
  // A dataset over the rows of a CSV file, read on demand.
  static host::HostRef<MemoryDataSet> create_over(std::unique_ptr<CsvFileRows> rows);

  MemoryDataSet(const MemoryDataSet&) = delete;
  MemoryDataSet& operator=(const MemoryDataSet&) = delete;

  // Datasets not yet deleted, in the whole process.
  static int64_t live_count();
  uint32_t ref_count() const { return refs_; }

  const std::vector<Column>& columns() const { return columns_; }
  std::optional<size_t> column_index(std::u16string_view name) const;

  // Adds a stored row, each value converted for its column (throws
  // VariantError when one does not convert, Error when the count is wrong).
  void add_row(std::vector<Variant> values);
  size_t row_count() const { return store_.size(); }
  // A copy of a stored value. Throws std::out_of_range outside the stored
  // rows and columns, Error when a file row cannot be read.
  Variant value(size_t row, size_t column) const { return store_.value(row, column); }

  // Current row index (row_count() past the last row) and editing state.
  size_t position() const { return position_; }
  State state() const { return state_; }

  // Messages (UTF-8) of the operations that failed, oldest first.
  const std::vector<std::string>& failures() const { return failures_; }

  // Calls of an operation so far (field operations count on their dataset).
  int64_t calls(Operation operation) const { return calls_[static_cast<size_t>(operation)]; }
  // Makes the nth call of `operation` from now on (1: the next one) fail with
  // `message` (UTF-8; "" for "Simulated failure of <operation>"), once.
  void fail_call(Operation operation, int64_t nth, std::string message = {});

 private:
  friend class MemoryField;
  friend struct FieldVtable;
  friend struct DataSetVtable;

  MemoryDataSet(std::vector<Column> columns, RowStore rows);
  ~MemoryDataSet();

  // The operations themselves; they throw on refusal, the vtable catches.
  void begin_call(Operation operation);
  void record_failure() noexcept;
  size_t checked_column(int32_t index) const;
  bool eof() const;
  void first();
  void next();
  bool locate(std::u16string_view key_fields, const Variant& key);
  void append();
  void edit();
  void post();
  // The value of the current or pending row; holds until the next call.
  const Variant& current_value(size_t column) const;
  // The same in the host's form, for Value, written into `out`, which holds
  // nothing to free (an empty or null variant) and is left so on a throw.
  void current_abi_value(size_t column, PxVariant& out) const;
  void set_current_value(size_t column, const Variant& value);
  void discard_pending() { state_ = State::Browse; }
  bool row_matches(size_t row, const std::vector<size_t>& columns,
                   const std::vector<Variant>& keys) const;
  // The index over these key columns, built now when there is none yet; null
  // when a column is untyped (its values may be of any kind).
  LocateIndex* index_for(const std::vector<size_t>& columns);
  // The hash of row `row` in each index, in the order of indexes_.
  std::vector<uint64_t> index_hashes(size_t row) const;
  // Keeps the indexes current when row `row` is added (no `before`) or
  // replaced (`before`: its hashes before).
  void reindex(size_t row, const std::vector<uint64_t>* before);

  struct PlannedFailure {
    Operation operation;
    int64_t at_call;
    std::string message;
  };

  std::atomic<uint32_t> refs_{1};
  std::vector<Column> columns_;
  RowStore store_;
  size_t position_ = 0;
  State state_ = State::Browse;
  std::vector<Variant> pending_;  // the row being appended or edited
  std::vector<LocateIndex> indexes_;
  std::array<int64_t, kOperationCount> calls_{};
  std::vector<PlannedFailure> planned_;
  std::vector<std::string> failures_;
};

}  // namespace pharmex::memhost
