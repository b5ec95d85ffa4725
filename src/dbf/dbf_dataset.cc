#include "dbf/dbf_dataset.h"

#include <algorithm>
#include <utility>

#include "core/error.h"
#include "dbf/dbf_format.h"
#include "platform/paths.h"

namespace pharmex::dbf {

namespace {

// Records read at a time when counting visible records.
constexpr size_t kCountChunk = 32768;

}  // namespace

TDbfDataSet::TDbfDataSet(EngineOptions options) : options_(std::move(options)) {}

TDbfDataSet::~TDbfDataSet() {
  try {
    Close();
  } catch (...) {
    // The table's own destructor closes its files.
  }
}

void TDbfDataSet::CheckActive() const {
  if (!table_) raise<DatabaseError>("Cannot perform this operation on a closed dataset");
}

void TDbfDataSet::CheckInactive() const {
  if (table_) raise<DatabaseError>("Cannot perform this operation on an open dataset");
}

void TDbfDataSet::CheckWritable() const {
  if (read_only_) raise<DatabaseError>("Cannot modify a read-only dataset");
}

void TDbfDataSet::RaiseNotEditing() {
  raise<DatabaseError>("Dataset not in edit or insert mode");
}

void TDbfDataSet::SetTableName(std::string_view name) {
  CheckInactive();
  table_name_ = name;
}

void TDbfDataSet::SetDatabaseName(std::string_view folder) {
  CheckInactive();
  database_name_ = folder;
}

void TDbfDataSet::SetExclusive(bool on) {
  CheckInactive();
  exclusive_ = on;
}

void TDbfDataSet::SetReadOnly(bool on) {
  CheckInactive();
  read_only_ = on;
}

void TDbfDataSet::SetLargeIntegerAs(TIntFields as) {
  CheckInactive();
  large_integer_as_ = as;
}

void TDbfDataSet::SetEncryptionKey(std::string_view key) {
  CheckInactive();
  encryption_key_ = key;
}

void TDbfDataSet::SetTranslateASCII(bool on) {
  translate_ascii_ = on;
  if (table_) table_->SetTranslateASCII(on);
}

void TDbfDataSet::SetUseDeleted(bool on) {
  use_deleted_ = on;
  if (table_) table_->SetUseDeleted(on);
}

void TDbfDataSet::SetAutoFlush(bool on) {
  auto_flush_ = on;
  if (table_) table_->SetAutoFlush(on);
}

void TDbfDataSet::SetLockProtocol(TLockProtocol protocol) {
  lock_protocol_ = protocol;
  if (table_) table_->SetLockProtocol(protocol);
}

void TDbfDataSet::SetUserID(int32_t id) {
  user_id_ = id;
  if (table_) table_->SetUserID(id);
}

void TDbfDataSet::SetLockRetry(TLockRetry retry) {
  lock_retry_ = std::move(retry);
  if (table_) table_->SetLockRetry(lock_retry_);
}

std::string TDbfDataSet::TablePath() const {
  std::string path = database_name_;
  if (!path.empty() && !platform::is_path_separator(path.back())) {
    path.push_back(platform::path_separator());
  }
  return path.append(table_name_);
}

void TDbfDataSet::WriteAside(std::unique_ptr<TTableStage> stage) {
  CheckInactive();
  stage_ = std::move(stage);
}

void TDbfDataSet::Open() {
  if (table_) return;
  if (table_name_.empty()) raise<DatabaseError>("Table name missing");
  if (!platform::has_extension(table_name_)) {
    // ".DBF", or ".dbf" when only that file exists (TDbfTable::FindTablePath);
    // a table written aside has the extension its stage was given.
    table_name_.append(platform::extract_file_ext(
        stage_ ? stage_->TablePath() : TDbfTable::FindTablePath(TablePath(), Files())));
  }
  const std::string path = stage_ ? stage_->TableFile() : TablePath();
  if (!Files().exists(TDiskFile::FullPath(path)))
    raise<DatabaseError>("Cannot find file %s", {stage_ ? stage_->TablePath() : path});

  auto table =
      std::make_unique<TDbfFieldLayer>(path, !exclusive_, !read_only_, Files(), *options_.clock);
  if (stage_) table->WriteAsideFor(stage_->TablePath(), stage_->MemoFile());
  table->OpenTable();
  table->SetAutoFlush(auto_flush_);
  table->SetUseDeleted(use_deleted_);
  table->SetLockProtocol(lock_protocol_);
  table->SetUserID(user_id_);
  table->SetTranslateASCII(translate_ascii_);
  table->SetLockRetry(lock_retry_);
  BuildFields(*table);
  table_ = std::move(table);
  state_ = TDataSetState::dsBrowse;
  modified_ = false;
  try {
    First();
  } catch (...) {
    fields_.clear();
    state_ = TDataSetState::dsInactive;
    table_.reset();  // closes quietly; the read failure is the one to report
    throw;
  }
}

void TDbfDataSet::BuildFields(TDbfFieldLayer& table) {
  fields_.clear();
  field_index_.Reset(static_cast<size_t>(table.FieldCount()));
  for (int i = 0; i < table.FieldCount(); ++i) {
    const TDbfFieldDef& def = table.Field(i);
    TFieldType type = DatasetFieldType(def, large_integer_as_);
    // A 0x30 table keeps a double in its B fields, not a memo block.
    if (def.type == 'B' && table.BinaryNumber(i)) type = TFieldType::ftFloat;
    if (type == TFieldType::ftUnknown) continue;  // kept in the file, not shown
    if (!field_index_.Add(def.name, static_cast<int>(fields_.size()))) {
      fields_.clear();
      raise<DatabaseError>("Duplicate field name '%s'", {def.name});
    }
    fields_.push_back(std::make_unique<TDbfField>(*this, i, type));
  }
}

void TDbfDataSet::Close() {
  std::unique_ptr<TTableStage> stage = std::move(stage_);  // thrown away after the files close
  CloseTable(false);
}

void TDbfDataSet::Commit() {
  std::unique_ptr<TTableStage> stage = std::move(stage_);  // thrown away should a step fail
  const bool open = table_ != nullptr;
  CloseTable(stage != nullptr);
  if (stage && open) stage->Commit();
}

void TDbfDataSet::CloseTable(bool write_through) {
  if (!table_) return;
  fields_.clear();
  field_index_.Reset(0);
  state_ = TDataSetState::dsInactive;
  has_current_ = false;
  eof_ = bof_ = true;
  modified_ = false;
  record_locked_ = false;  // closing the file gives the lock back
  replaced_memos_.clear();
  std::unique_ptr<TDbfFieldLayer> table = std::move(table_);
  table->CloseTable(write_through);
}

TDbfField* TDbfDataSet::FindField(std::string_view name) {
  const int index = field_index_.Find(name);
  return index < 0 ? nullptr : fields_[static_cast<size_t>(index)].get();
}

TDbfField& TDbfDataSet::FieldByName(std::string_view name) {
  TDbfField* field = FindField(name);
  if (!field) raise<DatabaseError>("Field '%s' not found", {name});
  return *field;
}

void TDbfDataSet::CheckBrowseMode() {
  if (!Editing()) return;
  if (modified_) {
    Post();
  } else {
    Cancel();
  }
}

void TDbfDataSet::Append() {
  CheckActive();
  CheckWritable();
  CheckBrowseMode();
  try {
    table_->BlankRecord();
  } catch (...) {
    RestoreBuffer();
    throw;
  }
  state_ = TDataSetState::dsInsert;
  modified_ = false;
}

void TDbfDataSet::Edit() {
  CheckActive();
  CheckWritable();
  if (Editing()) return;
  if (!has_current_) {
    Append();
    return;
  }
  const int32_t record = table_->RecordNumber();
  if (!table_->LockRecord(record)) raise<DatabaseError>("Record is locked by another user");
  record_locked_ = true;
  try {
    // Another user may have changed it since we read it.
    table_->GotoRecord(record);
  } catch (...) {
    ReleaseRecordLock();
    throw;
  }
  edit_record_ = record;
  state_ = TDataSetState::dsEdit;
  modified_ = false;
  replaced_memos_.clear();
}

void TDbfDataSet::Post() {
  CheckActive();
  CheckEditing();
  std::vector<std::pair<int, int64_t>> replaced;
  if (state_ == TDataSetState::dsInsert) {
    PostInsert();
  } else {
    // A failure leaves the edit (and its lock) in place; writing the same
    // record again is harmless.
    table_->ReplaceRecord(edit_record_);
    ReleaseRecordLock();
    replaced.swap(replaced_memos_);
  }
  state_ = TDataSetState::dsBrowse;
  modified_ = false;
  has_current_ = true;
  eof_ = bof_ = false;
  FreeReplacedMemos(replaced);
}

bool TDbfDataSet::HoldsStoredValue(int index) const {
  if (state_ != TDataSetState::dsEdit) return false;
  const TDbfFieldDef& def = table_->Field(index);
  const auto stored = table_->ReadCopy().subspan(def.offset, def.length);
  const auto current = table_->RecordBuffer().subspan(def.offset, def.length);
  return std::equal(stored.begin(), stored.end(), current.begin());
}

void TDbfDataSet::FreeOnPost(int index, int64_t block) {
  if (block > 0) replaced_memos_.emplace_back(index, block);
}

void TDbfDataSet::FreeReplacedMemos(const std::vector<std::pair<int, int64_t>>& replaced) {
  for (const auto& [index, block] : replaced) {
    // Never the blocks of a memo the posted record still names (the same
    // block number put back by hand, or in another field).
    bool named = false;
    for (const auto& field : fields_) {
      if (field->DataType() != TFieldType::ftMemo && field->DataType() != TFieldType::ftBlob)
        continue;
      try {
        named = named || field->MemoBlock() == block;
      } catch (const DbfError&) {
        // No block number at all: it names nothing.
      }
    }
    if (!named) table_->Memo().FreeMemo(block);
  }
}

void TDbfDataSet::PostInsert() {
  const int32_t before = table_->RecordNumber();
  try {
    table_->AppendRecord();
  } catch (...) {
    // When the record reached the file and only what follows it failed (the
    // header rewrite, a flush), the record is posted: staying in insert
    // state would write it a second time on the next Post.
    const int32_t now = table_->RecordNumber();
    if (now != before && now == table_->RecordCount()) {
      state_ = TDataSetState::dsBrowse;
      modified_ = false;
      has_current_ = true;
      eof_ = bof_ = false;
    }
    throw;
  }
}

void TDbfDataSet::Cancel() {
  if (!Editing()) return;
  RestoreBuffer();
  if (state_ == TDataSetState::dsEdit) ReleaseRecordLock();
  state_ = TDataSetState::dsBrowse;
  modified_ = false;
  replaced_memos_.clear();  // the record keeps them
}

void TDbfDataSet::RestoreBuffer() {
  std::span<char> buffer = table_->RecordBuffer();
  if (has_current_) {
    std::span<const char> copy = table_->ReadCopy();
    std::copy(copy.begin(), copy.end(), buffer.begin());
  } else {
    std::fill(buffer.begin(), buffer.end(), ' ');
  }
}

void TDbfDataSet::ReleaseRecordLock() {
  if (!record_locked_) return;
  record_locked_ = false;
  table_->ReleaseLock();
}

bool TDbfDataSet::FetchVisible(int32_t position) {
  if (!table_->GotoRecord(position)) return false;
  while (table_->RecordDeleted() && !use_deleted_) {
    if (!table_->GotoRecord(kNextRecord)) return false;
  }
  return true;
}

void TDbfDataSet::First() {
  CheckActive();
  CheckBrowseMode();
  bof_ = true;
  has_current_ = FetchVisible(kFirstRecord);
  eof_ = !has_current_;
  if (!has_current_) RestoreBuffer();  // nothing to show: a blank record
}

void TDbfDataSet::Next() {
  CheckActive();
  CheckBrowseMode();
  if (eof_) return;
  const int32_t last = table_->RecordNumber();
  if (FetchVisible(kNextRecord)) {
    bof_ = false;
    return;
  }
  eof_ = true;
  table_->GotoRecord(last);  // the last visible record stays current
}

int32_t TDbfDataSet::RecNo() const {
  return table_ && has_current_ ? table_->RecordNumber() : 0;
}

int32_t TDbfDataSet::RecordCount() {
  CheckActive();
  if (!exact_count_) return table_->RecordCount();
  return CountVisible();
}

int32_t TDbfDataSet::CountVisible() {
  // Reads only the deletion flags, a chunk of records at a time, and leaves
  // the cursor and the record buffer alone (an insert may be under way).
  if (table_->Shared()) table_->RefreshHeader();
  const int32_t total = table_->RecordCount();
  if (use_deleted_) return total;
  const uint32_t length = table_->RecordLength();
  const size_t per_chunk = std::max<size_t>(kCountChunk / length, 1);
  std::vector<char> chunk(per_chunk * length);
  int32_t visible = 0;
  for (int32_t first = 0; first < total;) {
    const auto records = static_cast<int32_t>(std::min<int64_t>(per_chunk, total - first));
    const uint64_t offset = table_->HeaderLength() + static_cast<uint64_t>(first) * length;
    const size_t got =
        table_->ReadAt(offset, {chunk.data(), static_cast<size_t>(records) * length});
    const auto whole = static_cast<int32_t>(got / length);
    for (int32_t r = 0; r < whole; ++r) {
      if (chunk[static_cast<size_t>(r) * length] != format::kDeletedRecord) ++visible;
    }
    if (whole < records) break;  // cut short by another writer
    first += records;
  }
  return visible;
}

}  // namespace pharmex::dbf
