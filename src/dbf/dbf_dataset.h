// TDbfDataSet: the face of the table engine that exports and imports use.
//
// An export names the file, lets TCreateDbfDataSet create and open it, then
// for every row appends a record, assigns field values and posts; an import
// opens a file and walks it from First to Eof reading values. Values travel as
// Variants and are converted by the field objects (TDbfField).
//
//   TDbfDataSet orders;
//   orders.SetTableName("/out/orders.dbf");
//   orders.Open();
//   TDbfField& qty = orders.FieldByName("qty");  // resolve once, keep
//   orders.Append();
//   qty.SetValue(Variant::integer(5));
//   orders.Post();
//
// States: closed (dsInactive) -> Open -> dsBrowse -> Append -> dsInsert ->
// Post -> dsBrowse; dsBrowse -> Edit -> dsEdit -> Post or Cancel -> dsBrowse;
// Close from any state (a pending insert or edit is dropped).
//
// Walking skips deleted records unless UseDeleted is set. RecordCount is the
// number of records in the file, deleted ones included, unless ExactCount
// asks for the visible records to be counted.
//
// Field objects live from Open to Close: a TDbfField& or pointer obtained
// from FieldByName, FindField or Fields is valid until the dataset closes.
// Looking a field up by name costs one hash of the name and no allocation.
//
// Failures are DatabaseError for the dataset's own refusals (messages below)
// and DbfError from the table and disk files, passed on unchanged. A Post
// whose record could not be written leaves the dataset in its insert or edit
// state with the record buffer intact, to be corrected, posted again or
// cancelled.
//
// Written aside. A new table made by TCreateDbfDataSet with WriteAside is
// written under temporary names (TTableStage) while TableName keeps naming
// the table it is to replace, which stays as it was: Commit closes the
// dataset and puts the new files in that table's place, Close (also the
// destructor's) throws them away. Messages name the table of TableName.
//
// What the dataset takes from its surroundings (EngineOptions: the regional
// settings its fields convert values with, the file system, the clock that
// dates the header) it is given when it is made, by default the process's
// current ones at that moment; the table and field objects it opens use
// those alone.
//
// One object is used by one thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dbf/dbf_field.h"
#include "dbf/dbf_field_def.h"
#include "dbf/dbf_field_layer.h"
#include "dbf/engine_options.h"
#include "dbf/field_name_index.h"
#include "dbf/lock_protocol.h"
#include "dbf/memo_file.h"
#include "dbf/table_stage.h"

namespace pharmex::dbf {

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

class TDbfDataSet {
 public:
  // Every setting at its default. REQUIRES: options with a file system and
  // a clock.
  explicit TDbfDataSet(EngineOptions options = EngineOptions::process_defaults());
  TDbfDataSet(const TDbfDataSet&) = delete;
  TDbfDataSet& operator=(const TDbfDataSet&) = delete;
  // Closes, swallowing failures (call Close to see them).
  ~TDbfDataSet();

  // Settings. Those marked "closed only" fail with "Cannot perform this
  // operation on an open dataset" while the dataset is open; the others
  // reach an open table at once.
  const std::string& TableName() const { return table_name_; }
  // Closed only. A name without extension gets ".DBF" on Open (".dbf" when
  // only that file exists).
  void SetTableName(std::string_view name);
  const std::string& DatabaseName() const { return database_name_; }
  void SetDatabaseName(std::string_view folder);  // closed only; "" (default): none
  bool Exclusive() const { return exclusive_; }
  void SetExclusive(bool on);  // closed only; default false: opened shared
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool on);  // closed only; default false
  TIntFields LargeIntegerAs() const { return large_integer_as_; }
  void SetLargeIntegerAs(TIntFields as);  // closed only; default asInteger
  const std::string& EncryptionKey() const { return encryption_key_; }
  // Closed only. Kept for the settings' sake: encrypted tables are refused
  // on opening ("No Password for encrypted file %s") whatever the key.
  void SetEncryptionKey(std::string_view key);
  bool TranslateASCII() const { return translate_ascii_; }
  void SetTranslateASCII(bool on);  // default true: ANSI <-> OEM for text and memos
  bool UseDeleted() const { return use_deleted_; }
  void SetUseDeleted(bool on);  // default false: deleted records are skipped
  bool AutoFlush() const { return auto_flush_; }
  void SetAutoFlush(bool on);  // default false
  TLockProtocol LockProtocol() const { return lock_protocol_; }
  void SetLockProtocol(TLockProtocol protocol);  // default Default
  int32_t UserID() const { return user_id_; }
  void SetUserID(int32_t id);  // default 0; written into every header
  bool ExactCount() const { return exact_count_; }
  void SetExactCount(bool on) { exact_count_ = on; }  // default false
  // How memo writes wait for the memo lock and appends for the append lock.
  const TLockRetry& LockRetry() const { return lock_retry_; }
  void SetLockRetry(TLockRetry retry);

  // The settings, file system and clock the dataset was made with.
  const EngineOptions& Options() const { return options_; }
  // The regional settings the fields convert assigned values with.
  const RegionalSettings& Settings() const { return options_.settings; }

  // The folder (DatabaseName, with a "/" added when it lacks one) followed by
  // TableName, as written.
  std::string TablePath() const;

  // Opens the table and stands on its first visible record. Does nothing when
  // open. Fails with "Table name missing", "Cannot find file %s", "Duplicate
  // field name '%s'", or the table file's errors ("Access denied to file %s",
  // "Table Header for %s is invalid", ...).
  void Open();
  // Drops a pending insert or edit, releases the field objects and closes the
  // table and memo files; a table written aside is thrown away with them.
  // Does nothing when closed.
  void Close();
  // Closes as Close does; a table written aside is first written through to
  // the disk and then takes the place of the table of TableName (the stage's
  // failures: "Error on Rename of file %s", ...; it is thrown away then).
  void Commit();
  // The table to open is written aside by `stage` (TCreateDbfDataSet does
  // this): Open opens the stage's files, named in messages as the table and
  // memo file they are to become. Closed only.
  void WriteAside(std::unique_ptr<TTableStage> stage);
  bool WrittenAside() const { return stage_ != nullptr; }
  bool Active() const { return table_ != nullptr; }
  TDataSetState State() const { return state_; }

  // A new blank record (0 in numeric fields); a pending insert or edit is
  // posted first (dropped when nothing was assigned). Needs an open, writable
  // dataset ("Cannot modify a read-only dataset").
  void Append();
  // Edits the current record under the record lock ("Record is locked by
  // another user"); appends when there is no current record.
  void Edit();
  // Writes the record being inserted (appended at the end) or edited
  // (written over its old place). "Dataset not in edit or insert mode"
  // outside those states. A posted edit then gives the blocks of the memos it
  // replaced back to the memo file; should that fail, the record stays posted
  // and the failure is passed on (the blocks are then merely unused).
  void Post();
  // Drops the record being inserted or edited. Memo texts already assigned
  // stay in the memo file; an edited record keeps the memos it had.
  void Cancel();

  void First();
  // The next visible record; at the end Eof becomes true and the last visible
  // record stays current.
  void Next();
  bool Eof() const { return eof_; }
  bool Bof() const { return bof_; }
  // The current record's number in the file (0: none).
  int32_t RecNo() const;
  int32_t RecordCount();

  int FieldCount() const { return static_cast<int>(fields_.size()); }
  // REQUIRES: 0 <= index < FieldCount().
  TDbfField& Fields(int index) { return *fields_[static_cast<size_t>(index)]; }
  // Names compare without regard to case. Null when there is no such field
  // (or the dataset is closed).
  TDbfField* FindField(std::string_view name);
  // The field, or "Field '%s' not found".
  TDbfField& FieldByName(std::string_view name);

  // The open table (null while closed).
  TDbfFieldLayer* DBFObject() { return table_.get(); }
  const TDbfFieldLayer* DBFObject() const { return table_.get(); }

  // For the field objects and blob streams.
  bool Editing() const {
    return state_ == TDataSetState::dsEdit || state_ == TDataSetState::dsInsert;
  }
  // "Dataset not in edit or insert mode" unless inserting or editing.
  void CheckEditing() const {
    if (!Editing()) RaiseNotEditing();
  }
  // An assignment changed the record being inserted or edited.
  void MarkModified() { modified_ = true; }
  // Memos of an edited record. The record in the file keeps pointing at its
  // memo until the edit is posted, so a new text must not be written over
  // that memo's blocks, nor may they be freed before: a cancelled edit, or a
  // post that fails, would leave the record on blocks that hold another text
  // or none. HoldsStoredValue tells whether field `index` of the record
  // being edited still holds what the file holds; FreeOnPost has the memo
  // at `block` that field `index` held freed once the edit is posted.
  bool HoldsStoredValue(int index) const;
  void FreeOnPost(int index, int64_t block);

 private:
  [[noreturn]] static void RaiseNotEditing();
  // Close's work; with `write_through` the files are first written through.
  void CloseTable(bool write_through);
  void CheckActive() const;
  void CheckInactive() const;
  void CheckWritable() const;
  // Posts a modified insert or edit, drops an unmodified one.
  void CheckBrowseMode();
  void BuildFields(TDbfFieldLayer& table);
  // Reads `position`, then moves on while the record is hidden.
  bool FetchVisible(int32_t position);
  // The record buffer as it was before the insert or edit began.
  void RestoreBuffer();
  void ReleaseRecordLock();
  void PostInsert();
  // Frees the memos the posted edit replaced, unless the record still
  // refers to them.
  void FreeReplacedMemos(const std::vector<std::pair<int, int64_t>>& replaced);
  int32_t CountVisible();

  platform::FileSystem& Files() const { return *options_.file_system; }

  EngineOptions options_;
  std::string table_name_;
  std::string database_name_;
  std::string encryption_key_;
  bool exclusive_ = false;
  bool read_only_ = false;
  bool translate_ascii_ = true;
  TIntFields large_integer_as_ = TIntFields::asInteger;
  bool use_deleted_ = false;
  bool auto_flush_ = false;
  TLockProtocol lock_protocol_ = TLockProtocol::Default;
  int32_t user_id_ = 0;
  bool exact_count_ = false;
  TLockRetry lock_retry_;

  // Before the table: a stage goes after the files it holds are closed.
  std::unique_ptr<TTableStage> stage_;
  std::unique_ptr<TDbfFieldLayer> table_;
  std::vector<std::unique_ptr<TDbfField>> fields_;
  TFieldNameIndex field_index_;
  TDataSetState state_ = TDataSetState::dsInactive;
  bool has_current_ = false;  // a visible record is current
  bool eof_ = true;
  bool bof_ = true;
  bool modified_ = false;
  int32_t edit_record_ = 0;
  bool record_locked_ = false;
  // Field index and first block of each memo the edit replaced.
  std::vector<std::pair<int, int64_t>> replaced_memos_;
};

void TDbfField::CheckWritable() const {
  dataset_.CheckEditing();
  if (read_only_) RaiseReadOnly();
}

}  // namespace pharmex::dbf
