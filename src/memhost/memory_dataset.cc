#include "memhost/memory_dataset.h"

#include <utility>

#include "core/error.h"
#include "core/regional_settings.h"
#include "platform/text_codec.h"

namespace pharmex::memhost {

namespace {

std::atomic<int64_t> live_datasets{0};

// A failure planned by fail_call; its message is already UTF-8.
struct PlannedFailureError {
  std::string message;
};

std::string ansi(std::u16string_view text) {
  return platform::text_codec().utf16_to_ansi(text);
}

[[noreturn]] void not_editing() {
  raise<DatabaseError>("Dataset not in edit or insert mode");
}

// Key column names of Locate: separated by ";", blanks around a name ignored.
std::vector<std::u16string_view> split_key_fields(std::u16string_view text) {
  std::vector<std::u16string_view> names;
  size_t start = 0;
  while (true) {
    size_t end = text.find(u';', start);
    std::u16string_view name = text.substr(start, end == text.npos ? text.npos : end - start);
    while (!name.empty() && name.front() == u' ')
      name.remove_prefix(1);
    while (!name.empty() && name.back() == u' ')
      name.remove_suffix(1);
    names.push_back(name);
    if (end == text.npos) return names;
    start = end + 1;
  }
}

}  // namespace

std::string_view operation_name(Operation operation) {
  static constexpr std::string_view kNames[kOperationCount] = {
      "FieldCount", "GetField", "FieldByName", "First", "Next",     "Eof",  "Locate", "Append",
      "Edit",       "Post",     "RecordCount", "Name",  "DataType", "Size", "Value",  "SetValue"};
  return kNames[static_cast<size_t>(operation)];
}

// The table of operations is set by create(), which lives beside it.
MemoryDataSet::MemoryDataSet(std::vector<Column> columns, RowStore rows)
    : IDataSet{nullptr}, columns_(std::move(columns)), store_(std::move(rows)) {
  ++live_datasets;
}

MemoryDataSet::~MemoryDataSet() {
  --live_datasets;
}

int64_t MemoryDataSet::live_count() {
  return live_datasets;
}

std::optional<size_t> MemoryDataSet::column_index(std::u16string_view name) const {
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (same_column_name(columns_[i].name, name)) return i;
  }
  return std::nullopt;
}

void MemoryDataSet::add_row(std::vector<Variant> values) {
  if (values.size() != columns_.size()) {
    raise<Error>("A row of %d values for %d columns",
                 {static_cast<int64_t>(values.size()), static_cast<int64_t>(columns_.size())});
  }
  const RegionalSettings& settings = regional_settings();
  for (size_t i = 0; i < values.size(); ++i)
    values[i] = convert_for_column(values[i], columns_[i].type, settings);
  store_.append(std::move(values));
  reindex(store_.size() - 1, nullptr);
}

void MemoryDataSet::fail_call(Operation operation, int64_t nth, std::string message) {
  if (message.empty()) message = "Simulated failure of " + std::string(operation_name(operation));
  planned_.push_back({operation, calls(operation) + nth, std::move(message)});
}

void MemoryDataSet::begin_call(Operation operation) {
  int64_t call = ++calls_[static_cast<size_t>(operation)];
  for (auto it = planned_.begin(); it != planned_.end(); ++it) {
    if (it->operation == operation && it->at_call == call) {
      PlannedFailureError failure{std::move(it->message)};
      planned_.erase(it);
      throw failure;
    }
  }
}

void MemoryDataSet::record_failure() noexcept {
  try {
    std::string message;
    try {
      throw;
    } catch (const PlannedFailureError& e) {
      message = e.message;
    } catch (...) {
      message = platform::text_codec().ansi_to_utf8(current_exception_message());
    }
    failures_.push_back(message);
    pharmex_report_host_failure(message.c_str());
  } catch (...) {
    pharmex_report_host_failure("Out of memory");
  }
}

size_t MemoryDataSet::checked_column(int32_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= columns_.size()) {
    raise<Error>("List index out of bounds (%d)", {int64_t{index}});
  }
  return static_cast<size_t>(index);
}

bool MemoryDataSet::eof() const {
  return state_ != State::Append && position_ >= store_.size();
}

void MemoryDataSet::first() {
  discard_pending();
  position_ = 0;
}

void MemoryDataSet::next() {
  discard_pending();
  if (position_ < store_.size()) ++position_;
}

bool MemoryDataSet::locate(std::u16string_view key_fields, const Variant& key) {
  std::vector<size_t> key_columns;
  for (std::u16string_view name : split_key_fields(key_fields)) {
    std::optional<size_t> index = column_index(name);
    if (!index) raise<DatabaseError>("Field '%s' not found", {ansi(name)});
    key_columns.push_back(*index);
  }
  // One value for one column (a one-element array will do), else an array
  // with one element per column.
  std::vector<Variant> keys;
  if (key.kind() == Variant::Kind::Array) {
    keys = key.array_value();
  } else {
    keys.push_back(key);
  }
  if (keys.size() != key_columns.size()) {
    raise<Error>("Locate needs one key value per key column (%d columns, %d values)",
                 {static_cast<int64_t>(key_columns.size()), static_cast<int64_t>(keys.size())});
  }
  discard_pending();
  const RegionalSettings& settings = regional_settings();
  for (size_t i = 0; i < keys.size(); ++i) {
    std::optional<Variant> key_value =
        key_for_column(keys[i], columns_[key_columns[i]].type, settings);
    if (!key_value) return false;  // no row can hold a value of that column that equals this key
    keys[i] = std::move(*key_value);
  }
  std::optional<size_t> found;
  auto matches = [&](size_t row) { return row_matches(row, key_columns, keys); };
  if (LocateIndex* index = index_for(key_columns)) {
    found = index->find(LocateIndex::key_hash(keys), matches);
  } else {
    for (size_t row = 0; row < store_.size() && !found; ++row) {
      if (matches(row)) found = row;
    }
  }
  if (!found) return false;
  position_ = *found;
  return true;
}

LocateIndex* MemoryDataSet::index_for(const std::vector<size_t>& columns) {
  for (LocateIndex& index : indexes_) {
    if (index.columns() == columns) return &index;
  }
  for (size_t column : columns) {
    if (column_kind(columns_[column].type) == Variant::Kind::Empty) return nullptr;
  }
  LocateIndex& index = indexes_.emplace_back(columns);
  try {
    for (size_t row = 0; row < store_.size(); ++row)
      index.add(row, index.row_hash_of([&](size_t column) -> const Variant& {
        return store_.value(row, column);
      }));
  } catch (...) {
    indexes_.pop_back();  // a file row that cannot be read: no half-built index
    throw;
  }
  return &index;
}

std::vector<uint64_t> MemoryDataSet::index_hashes(size_t row) const {
  std::vector<uint64_t> hashes;
  for (const LocateIndex& index : indexes_) {
    hashes.push_back(index.row_hash_of(
        [&](size_t column) -> const Variant& { return store_.value(row, column); }));
  }
  return hashes;
}

void MemoryDataSet::reindex(size_t row, const std::vector<uint64_t>* before) {
  try {
    const std::vector<uint64_t> hashes = index_hashes(row);
    for (size_t i = 0; i < indexes_.size(); ++i) {
      if (before != nullptr) {
        if ((*before)[i] == hashes[i]) continue;
        indexes_[i].remove(row, (*before)[i]);
      }
      indexes_[i].add(row, hashes[i]);
    }
  } catch (...) {
    // Out of memory half-way: the row is stored all the same; the indexes
    // are dropped and built again by the next Locate that needs them.
    indexes_.clear();
  }
}

bool MemoryDataSet::row_matches(size_t row, const std::vector<size_t>& columns,
                                const std::vector<Variant>& keys) const {
  const RegionalSettings& settings = regional_settings();
  for (size_t i = 0; i < columns.size(); ++i) {
    const Variant& stored = store_.value(row, columns[i]);
    try {
      if (compare(stored, keys[i], settings) != Ordering::Equal) return false;
    } catch (const VariantError&) {
      return false;  // arrays in untyped columns compare with nothing
    }
  }
  return true;
}

void MemoryDataSet::append() {
  discard_pending();
  pending_.assign(columns_.size(), Variant::null());
  state_ = State::Append;
}

void MemoryDataSet::edit() {
  if (state_ != State::Browse) return;
  if (position_ >= store_.size()) raise<DatabaseError>("No current row to edit");
  pending_ = store_.row(position_);
  state_ = State::Edit;
}

void MemoryDataSet::post() {
  if (state_ == State::Browse) not_editing();
  if (state_ == State::Append) {
    store_.append(std::move(pending_));
    position_ = store_.size() - 1;
    reindex(position_, nullptr);
  } else {
    const std::vector<uint64_t> before = index_hashes(position_);
    store_.replace(position_, std::move(pending_));
    reindex(position_, &before);
  }
  pending_.clear();
  state_ = State::Browse;
}

const Variant& MemoryDataSet::current_value(size_t column) const {
  static const Variant kNull = Variant::null();
  if (state_ != State::Browse) return pending_[column];
  if (position_ >= store_.size()) return kNull;
  return store_.value(position_, column);
}

void MemoryDataSet::current_abi_value(size_t column, PxVariant& out) const {
  if (state_ != State::Browse || position_ >= store_.size()) {
    out = AbiVariant(current_value(column)).release();
    return;
  }
  store_.abi_value(position_, column, out);
}

void MemoryDataSet::set_current_value(size_t column, const Variant& value) {
  if (state_ == State::Browse) not_editing();
  pending_[column] = convert_for_column(value, columns_[column].type, regional_settings());
}

}  // namespace pharmex::memhost
