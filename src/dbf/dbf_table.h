// TDbfTable: a dBase table file (dbf_format.h, docs/table_format.md) opened
// for whole-record reads and writes. It validates the header and descriptors
// on opening, keeps one current record buffer, appends and replaces records
// and keeps the header's date, time stamp and record count current after every
// write.
//
// Record count. The count is always taken from the file size, never from the
// header: records appended by another writer are seen even when its header
// write has not landed yet, and the trailing 0x1A never counts.
//
// Sharing. A table opened shared may be written by other processes: each
// append re-reads the header and recounts from the file size under the append
// lock, and each request beyond the known count recounts. A whole-table lock
// makes the table ours alone until it is released: further lock requests are
// counted only, and header writes wait for the release.
//
// One object is used by one thread.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dbf/dbf_field_def.h"
#include "dbf/dbf_format.h"
#include "dbf/disk_file.h"
#include "dbf/lock_protocol.h"
#include "dbf/memo_file.h"
#include "platform/clock.h"

namespace pharmex::dbf {

// Record positions GotoRecord understands besides record numbers >= 1.
enum TRecordPosition : int32_t {
  kCurrentRecord = -5,
  kLastRecord = -4,
  kFirstRecord = -3,
  kPriorRecord = -2,
  kNextRecord = -1,
};

class TDbfTable : public TDiskFile {
 public:
  // Builds the object for a table path (FindTablePath); nothing is read
  // until OpenTable. The table and its memo file go through `file_system`;
  // every header written bears the date and time of `clock`. Both must
  // outlive the object.
  TDbfTable(std::string_view path, bool shared, bool read_write, platform::FileSystem& file_system,
            const platform::Clock& clock);
  // Writes a pending header and closes, swallowing failures (call CloseTable
  // to see them).
  ~TDbfTable() override;

  // The path with ".DBF" added when it has no extension: the name a new
  // table is written under.
  static std::string TablePath(std::string_view path);
  // The existing table a path names: TablePath, or, when that file does not
  // exist but one with ".dbf" does, that one. A case-sensitive file system
  // must find "order" as Windows does, also when its file is order.dbf (the
  // extension the file dialogs give). TablePath when neither exists.
  static std::string FindTablePath(std::string_view path, platform::FileSystem& file_system);

  // A table written aside (TTableStage): the file stands for the table at
  // `table_path`, which messages name, and its memo file lies at
  // `memo_file`, named in messages as that table's memo file.
  // REQUIRES: not open yet.
  void WriteAsideFor(std::string_view table_path, std::string memo_file);

  // Opens the file and reads and checks its header and descriptors. Fails
  // with "File %s could not be found", "Access denied to file %s", "Error on
  // Read of file %s", "Table Header for %s is invalid" or "No Password for
  // encrypted file %s".
  void OpenTable();
  // Writes a pending header, closes the memo file and the table file; with
  // `write_through` after having them written through to the disk (the memo
  // file first), as a table about to take another's place must be.
  void CloseTable(bool write_through = false);

  // The memo file, opened on first use with the table's sharing and access:
  // dBase IV (0x8B) tables use a TMemo4File, FoxPro tables (0xF5, 0x30) a
  // TFoxMemoFile (".fpt"), all others the dBase III TMemoFile (".dbt"). Fails
  // with "File %s could not be found" when the memo file is missing.
  TMemoFile& Memo();
  bool MemoOpen() const { return memo_ != nullptr; }
  // Opens the memo file now rather than on first use, and as it is: a new
  // dBase IV memo file keeps the 24 bytes it was created with until the first
  // memo is written. The table creator opens a new table's memo file so
  // before its builder lets go of it. Does nothing when it is open.
  void OpenMemoAsCreated();
  // How memo writes wait for the memo lock (given to the memo file) and
  // appends for the append lock.
  const TLockRetry& LockRetry() const { return lock_retry_; }
  void SetLockRetry(TLockRetry retry);

  // Reads a record (number >= 1 or a TRecordPosition) into the record buffer.
  // True when a record was read; false when the position fell before the
  // first or after the last record (see BeforeFirst/AfterLast) or was 0.
  // "Record number %d is not in table %s" for a number beyond count + 1.
  bool GotoRecord(int32_t position);
  // Writes the record buffer as a new last record (with the end-of-file mark in
  // the same write), then the header. The new record becomes current. On a
  // shared table it waits for another writer's append lock like a memo write
  // for the memo lock, then fails with "Can not Lock file %s" (nothing
  // written) rather than write over that writer's record.
  void AppendRecord();
  // Writes the record buffer over record `record`; beyond the count or <= 0
  // appends instead.
  void ReplaceRecord(int32_t record);
  // Shared tables only: re-reads the header and recounts the records.
  void RefreshHeader();
  // Rewrites the 32-byte header when a write is pending, the table is writable
  // and no whole-table lock defers it.
  void WriteHeader();

  // Marks the current record deleted (or live again) and writes it at once.
  void DeleteRecord() { SetDeletedFlag(format::kDeletedRecord); }
  void RecallRecord() { SetDeletedFlag(format::kLiveRecord); }
  bool RecordDeleted() const { return record_[0] == format::kDeletedRecord; }

  // Locks of the table's lock protocol. While a whole-table lock (LockTable or
  // LockTableAll) is held every further request is granted by counting; each
  // granted request is given back by one ReleaseLock.
  bool LockTable();
  bool LockTableAll();
  bool LockAppend();
  bool LockRecord(int32_t record);
  void ReleaseLock();
  bool WhollyLocked() const { return wholly_locked_; }

  TLockProtocol LockProtocol() const { return protocol_; }
  // Also the memo file's protocol.
  void SetLockProtocol(TLockProtocol protocol);
  int32_t UserID() const { return user_id_; }
  void SetUserID(int32_t id) { user_id_ = id; }
  bool AutoFlush() const { return auto_flush_; }
  void SetAutoFlush(bool on) { auto_flush_ = on; }
  bool UseDeleted() const { return use_deleted_; }
  void SetUseDeleted(bool on) { use_deleted_ = on; }

  uint8_t Version() const { return static_cast<uint8_t>(header_[format::kVersionOffset]); }
  bool HasMemo() const { return has_memo_; }
  bool IsVisualFox() const { return Version() == format::kVersionVisualFox; }
  // The code page of the table's text when its header declares one other
  // than the OEM page (format::LanguageDriverCodePage: 1251); 0 when the
  // text is OEM, as in every table the engine writes.
  int TextCodePage() const { return text_code_page_; }
  std::span<const char, format::kHeaderSize> Header() const { return header_; }
  int32_t RecordCount() const { return record_count_; }
  uint32_t HeaderLength() const { return header_length_; }
  uint32_t RecordLength() const { return record_length_; }
  int FieldCount() const { return static_cast<int>(fields_.size()); }
  const TDbfFieldDef& Field(int index) const { return fields_[static_cast<size_t>(index)]; }
  const std::vector<TDbfFieldDef>& Fields() const { return fields_; }
  int32_t RecordNumber() const { return current_; }
  // Counts the successful openings of this object (0 before the first), so
  // that what is derived from the header and descriptors can tell it is
  // still current.
  uint64_t Openings() const { return openings_; }
  bool BeforeFirst() const { return before_first_; }
  bool AfterLast() const { return after_last_; }

  // The current record (record length bytes) and its copy as last read or written.
  std::span<char> RecordBuffer() { return {record_.data(), record_length_}; }
  std::span<const char> RecordBuffer() const { return {record_.data(), record_length_}; }
  std::span<const char> ReadCopy() const { return read_copy_; }

  void MarkFieldChanged(int index) {
    field_changed_[static_cast<size_t>(index)] = 1;
    record_changed_ = true;
  }
  void MarkAllChanged();
  bool FieldChanged(int index) const { return field_changed_[static_cast<size_t>(index)] != 0; }
  bool RecordChanged() const { return record_changed_; }

 private:
  void ReadHeaderAndFields();
  void ReadFields(uint32_t descriptor_bytes);
  [[noreturn]] void RaiseInvalidHeader() const;
  [[noreturn]] void RaiseNoRecord(int64_t record) const;
  int32_t CountFromFileSize();
  void Recount();
  uint64_t RecordOffset(int64_t record) const;
  bool TakeWholeLock(bool lock_all);
  bool TakeAppendLock();
  bool CountLock();
  void ReleaseQuietly() noexcept;
  void AppendLocked();
  void AfterWrite();
  std::unique_ptr<TMemoFile> NewMemoFile() const;
  void OpenMemo(bool complete_header);
  void CloseMemo();
  void SetDeletedFlag(char flag);

  const platform::Clock& clock_;
  std::string memo_file_;  // "" beside the table, under its name
  std::array<char, format::kHeaderSize> header_{};
  int32_t record_count_ = 0;
  uint32_t header_length_ = 0;
  uint32_t record_length_ = 0;
  uint8_t kept_flags_ = 0;
  int text_code_page_ = 0;
  bool has_memo_ = false;
  std::vector<TDbfFieldDef> fields_;
  std::vector<char> record_;  // record length + 1: room for the end-of-file mark
  std::vector<char> read_copy_;
  // One byte a field rather than std::vector<bool>: a flag is set on every
  // field write, and a bit costs a read-modify-write with shifts.
  std::vector<uint8_t> field_changed_;
  bool record_changed_ = false;
  int32_t current_ = 0;
  bool before_first_ = true;
  bool after_last_ = false;
  bool header_pending_ = false;
  bool wholly_locked_ = false;
  uint64_t openings_ = 0;
  TLockProtocol protocol_ = TLockProtocol::Default;
  int32_t user_id_ = 0;
  bool auto_flush_ = false;
  bool use_deleted_ = false;
  std::unique_ptr<TMemoFile> memo_;
  TLockRetry lock_retry_;
};

}  // namespace pharmex::dbf
