#include "dbf/dbf_table.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <limits>
#include <thread>

#include "core/cleanup.h"
#include "core/error.h"
#include "dbf/fox_memo_file.h"
#include "dbf/memo4_file.h"
#include "platform/clock.h"
#include "platform/code_page.h"
#include "platform/paths.h"

namespace pharmex::dbf {

namespace {

uint32_t TimeStamp(const DateParts& now) {
  auto value = ((static_cast<uint32_t>(now.hour) * 64 + static_cast<uint32_t>(now.minute)) * 64 +
                static_cast<uint32_t>(now.second)) *
                   1024 +
               static_cast<uint32_t>(now.millisecond);
  return value;
}

TDbfFieldDef ParseDescriptor(const char* d, uint32_t offset, int number) {
  TDbfFieldDef field;
  field.name.assign(d, strnlen(d, format::kNameLength));
  field.type = static_cast<char>(std::toupper(static_cast<unsigned char>(d[format::kTypeOffset])));
  auto low = static_cast<uint8_t>(d[format::kLengthOffset]);
  auto high = static_cast<uint8_t>(d[format::kDecimalsOffset]);
  if (field.type == 'C') {
    field.length = high * 256u + low;
  } else {
    field.length = low;
    field.decimals = high;
  }
  field.offset = offset;
  field.number = number;
  return field;
}

}  // namespace

TDbfTable::TDbfTable(std::string_view path, bool shared, bool read_write,
                     platform::FileSystem& file_system, const platform::Clock& clock)
    : TDiskFile(FindTablePath(path, file_system), shared, read_write, file_system),
      clock_(clock),
      record_(1, ' ') {}

TDbfTable::~TDbfTable() {
  try {
    CloseTable();
  } catch (...) {
    // The disk file's destructor still closes the handle.
  }
}

std::string TDbfTable::TablePath(std::string_view path) {
  std::string result(path);
  if (!platform::has_extension(path)) result.append(".DBF");
  return result;
}

std::string TDbfTable::FindTablePath(std::string_view path, platform::FileSystem& file_system) {
  std::string result = TablePath(path);
  if (platform::has_extension(path) || file_system.exists(FullPath(result))) return result;
  std::string lower = std::string(path) + ".dbf";
  if (file_system.exists(FullPath(lower))) return lower;
  return result;
}

void TDbfTable::OpenTable() {
  OpenFile();
  try {
    ReadHeaderAndFields();
  } catch (...) {
    CloseFile();
    throw;
  }
  protocol_ = TLockProtocol::Default;
}

[[noreturn]] void TDbfTable::RaiseInvalidHeader() const {
  raise<DbfError>("Table Header for %s is invalid", {ShownName()});
}

[[noreturn]] void TDbfTable::RaiseNoRecord(int64_t record) const {
  raise<DbfError>("Record number %d is not in table %s", {record, ShownName()});
}

void TDbfTable::ReadHeaderAndFields() {
  if (ReadAt(0, header_) < format::kHeaderSize) {
    raise<DbfError>("Error on Read of file %s", {ShownName()});
  }
  const uint8_t version = Version();
  if (!format::AcceptedVersion(version)) RaiseInvalidHeader();
  if (header_[format::kEncryptedOffset] != 0) {
    raise<DbfError>("No Password for encrypted file %s", {ShownName()});
  }
  kept_flags_ = static_cast<uint8_t>(header_[format::kFlagsOffset]) & format::kKeptFlags;
  // 866 is what the OEM rule reads already; a page without a table cannot be read.
  const int declared =
      format::LanguageDriverCodePage(static_cast<uint8_t>(header_[format::kLanguageDriverOffset]));
  text_code_page_ =
      declared != 866 && declared != 0 && platform::CodePage::find(declared) ? declared : 0;
  has_memo_ = version == format::kVersionDb3Memo || version == format::kVersionDb4Memo ||
              version == format::kVersionFoxMemo ||
              (version == format::kVersionVisualFox && (kept_flags_ & format::kFoxMemoFlag) != 0);
  header_length_ = format::DecodeFixed16(&header_[format::kHeaderLengthOffset]);
  record_length_ = format::DecodeFixed16(&header_[format::kRecordLengthOffset]);
  // The smallest header that holds the 32 bytes, the 0x0D and (0x30) the
  // trailer; a record holds at least its deletion flag.
  uint32_t fixed = format::kMinHeaderLength + (IsVisualFox() ? format::kVisualFoxTrailer : 0);
  if (header_length_ < fixed || record_length_ == 0) RaiseInvalidHeader();
  ReadFields(header_length_ - fixed);
  record_count_ = CountFromFileSize();

  record_.assign(record_length_ + 1, ' ');
  record_[record_length_] = format::kEndOfFile;
  read_copy_.assign(record_length_, ' ');
  field_changed_.assign(fields_.size(), 0);
  record_changed_ = false;
  current_ = 0;
  before_first_ = true;
  after_last_ = false;
  header_pending_ = false;
  wholly_locked_ = false;
  ++openings_;
}

void TDbfTable::ReadFields(uint32_t descriptor_bytes) {
  const uint32_t count = descriptor_bytes / format::kDescriptorSize;
  std::vector<char> descriptors(static_cast<size_t>(count) * format::kDescriptorSize);
  if (ReadAt(format::kHeaderSize, descriptors) < descriptors.size()) {
    raise<DbfError>("Error on Read of file %s", {ShownName()});
  }
  fields_.clear();
  fields_.reserve(count);
  uint32_t offset = 1;  // after the deletion flag
  for (uint32_t i = 0; i < count; ++i) {
    // The 0x0D ends the descriptors. FoxPro tables may keep more bytes
    // between it and the first record (a 263-byte area after the fields);
    // they are no fields, and the header length alone says where records start.
    if (static_cast<uint8_t>(descriptors[i * format::kDescriptorSize]) == format::kDescriptorEnd) {
      break;
    }
    TDbfFieldDef field =
        ParseDescriptor(&descriptors[i * format::kDescriptorSize], offset, static_cast<int>(i) + 1);
    offset += field.length;
    // Every field must lie inside the record, or reading it would run past
    // the buffer.
    if (offset > record_length_) RaiseInvalidHeader();
    fields_.push_back(std::move(field));
  }
}

int32_t TDbfTable::CountFromFileSize() {
  const uint64_t size = FileSize();
  if (size <= header_length_) return 0;  // cut off before the first record: none
  const uint64_t count = (size - header_length_) / record_length_;
  if (count > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) RaiseInvalidHeader();
  return static_cast<int32_t>(count);
}

void TDbfTable::Recount() {
  if (Shared()) {
    RefreshHeader();
  } else {
    record_count_ = CountFromFileSize();
  }
}

uint64_t TDbfTable::RecordOffset(int64_t record) const {
  return header_length_ + static_cast<uint64_t>(record - 1) * record_length_;
}

void TDbfTable::RefreshHeader() {
  if (!Shared() || !IsOpen()) return;
  std::array<char, format::kHeaderSize> fresh{};
  if (ReadAt(0, fresh) < format::kHeaderSize) {
    raise<DbfError>("Error on Read of file %s", {ShownName()});
  }
  const int32_t count = CountFromFileSize();
  header_ = fresh;
  record_count_ = count;
}

bool TDbfTable::GotoRecord(int32_t position) {
  if (record_count_ == 0) {
    Recount();
    if (record_count_ == 0) {
      before_first_ = after_last_ = true;
      return false;
    }
  }
  if (position == 0) return false;
  before_first_ = after_last_ = false;
  int64_t target = position;
  switch (position) {
    case kCurrentRecord:
      target = current_;
      break;
    case kLastRecord:
      target = record_count_;
      break;
    case kFirstRecord:
      target = 1;
      break;
    case kPriorRecord:
      target = int64_t{current_} - 1;
      if (target <= 0) {
        before_first_ = true;
        return false;
      }
      break;
    case kNextRecord:
      target = int64_t{current_} + 1;
      break;
    default:
      break;
  }
  // Also catches "the current record" when there is none: record 0 would be
  // read from inside the header.
  if (target < 1) RaiseNoRecord(target);
  if (target > record_count_) {
    Recount();
    if (target > int64_t{record_count_} + 1) RaiseNoRecord(target);
    if (target == int64_t{record_count_} + 1) {
      after_last_ = true;
      return false;
    }
  }
  if (ReadAt(RecordOffset(target), RecordBuffer()) < record_length_) {
    raise<DbfError>("Error on Read of file %s", {ShownName()});
  }
  current_ = static_cast<int32_t>(target);
  std::copy_n(record_.begin(), record_length_, read_copy_.begin());
  return true;
}

void TDbfTable::AppendRecord() {
  const bool locked = TakeAppendLock();
  try {
    AppendLocked();
  } catch (...) {
    if (locked) ReleaseQuietly();
    throw;
  }
  if (locked) ReleaseLock();
  before_first_ = after_last_ = false;
  AfterWrite();
}

void TDbfTable::AppendLocked() {
  const bool was_pending = header_pending_;
  header_pending_ = true;
  if (Shared()) RefreshHeader();
  if (record_count_ == std::numeric_limits<int32_t>::max())
    RaiseNoRecord(int64_t{record_count_} + 1);
  record_[0] = format::kLiveRecord;
  const int32_t count = record_count_ + 1;
  // Record and end-of-file mark in one write: the file never lacks its 0x1A.
  record_[record_length_] = format::kEndOfFile;
  try {
    WriteAt(RecordOffset(count), {record_.data(), record_length_ + 1});
  } catch (...) {
    header_pending_ = was_pending;  // nothing was added: the header stays as it was
    throw;
  }
  record_count_ = count;
  current_ = count;
  WriteHeader();
}

void TDbfTable::ReplaceRecord(int32_t record) {
  if (record <= 0 || record > record_count_) {
    AppendRecord();
    return;
  }
  header_pending_ = true;
  WriteAt(RecordOffset(record), RecordBuffer());
  current_ = record;
  if (Shared()) RefreshHeader();
  WriteHeader();
  AfterWrite();
}

void TDbfTable::AfterWrite() {
  if (auto_flush_) {
    // The memo first: a record on disk never points at a memo that is not.
    if (memo_) memo_->FlushFile();
    FlushFile();
  }
  std::copy_n(record_.begin(), record_length_, read_copy_.begin());
  std::fill(field_changed_.begin(), field_changed_.end(), 0);
  record_changed_ = false;
}

void TDbfTable::WriteHeader() {
  if (!ReadWrite() || !header_pending_ || wholly_locked_) return;
  const DateParts now = clock_.now();
  header_[format::kDateOffset] = static_cast<char>(now.year % 100);
  header_[format::kDateOffset + 1] = static_cast<char>(now.month);
  header_[format::kDateOffset + 2] = static_cast<char>(now.day);
  format::EncodeFixed32(&header_[format::kRecordCountOffset], static_cast<uint32_t>(record_count_));
  header_[format::kEncryptedOffset] = 0;
  format::EncodeFixed32(&header_[format::kTimeStampOffset], TimeStamp(now));
  format::EncodeFixed32(&header_[format::kUserIdOffset], static_cast<uint32_t>(user_id_));
  header_[format::kFlagsOffset] = static_cast<char>(kept_flags_);
  WriteAt(0, header_);
  header_pending_ = false;
}

void TDbfTable::CloseTable(bool write_through) {
  if (!IsOpen()) return;
  // The memo file and the table file are closed also when the header could
  // not be written: the header failure is the one reported.
  run_then_clean_up(
      [this, write_through] {
        if (header_pending_ && ReadWrite()) {
          wholly_locked_ = false;  // closing gives the lock back: write now
          if (Shared()) RefreshHeader();
          WriteHeader();
        }
        header_pending_ = false;
        wholly_locked_ = false;
        if (write_through) {
          if (memo_) memo_->FlushFile();
          FlushFile();
        }
      },
      [this] { CloseMemo(); }, [this] { CloseFile(); });
}

void TDbfTable::WriteAsideFor(std::string_view table_path, std::string memo_file) {
  ShowAs(table_path);
  memo_file_ = std::move(memo_file);
}

std::unique_ptr<TMemoFile> TDbfTable::NewMemoFile() const {
  const bool fox = Version() == format::kVersionFoxMemo || Version() == format::kVersionVisualFox;
  const std::string_view extension = fox ? ".fpt" : ".dbt";
  const std::string path =
      memo_file_.empty() ? TMemoFile::FindMemoPath(FileName(), extension, Files()) : memo_file_;
  std::unique_ptr<TMemoFile> memo;
  if (fox) {
    memo = std::make_unique<TFoxMemoFile>(path, Shared(), ReadWrite(), Files());
  } else if (Version() == format::kVersionDb4Memo) {
    memo = std::make_unique<TMemo4File>(path, Shared(), ReadWrite(), Files());
  } else {
    memo = std::make_unique<TMemoFile>(path, Shared(), ReadWrite(), Files());
  }
  if (!memo_file_.empty()) memo->ShowAs(TMemoFile::MemoPath(ShownName(), extension));
  return memo;
}

TMemoFile& TDbfTable::Memo() {
  OpenMemo(true);
  return *memo_;
}

void TDbfTable::OpenMemoAsCreated() {
  OpenMemo(false);
}

void TDbfTable::OpenMemo(bool complete_header) {
  if (memo_) return;
  std::unique_ptr<TMemoFile> memo = NewMemoFile();
  memo->SetLockProtocol(protocol_);
  memo->SetLockRetry(lock_retry_);
  memo->OpenMemo(complete_header);
  memo_ = std::move(memo);
}

void TDbfTable::CloseMemo() {
  if (!memo_) return;
  std::unique_ptr<TMemoFile> memo = std::move(memo_);
  memo->CloseFile();
}

void TDbfTable::SetLockProtocol(TLockProtocol protocol) {
  protocol_ = protocol;
  if (memo_) memo_->SetLockProtocol(protocol);
}

void TDbfTable::SetLockRetry(TLockRetry retry) {
  lock_retry_ = std::move(retry);
  if (memo_) memo_->SetLockRetry(lock_retry_);
}

void TDbfTable::SetDeletedFlag(char flag) {
  if (current_ < 1 || current_ > record_count_) RaiseNoRecord(current_);
  record_[0] = flag;
  record_changed_ = true;
  ReplaceRecord(current_);
}

void TDbfTable::MarkAllChanged() {
  std::fill(field_changed_.begin(), field_changed_.end(), 1);
  record_changed_ = true;
}

bool TDbfTable::CountLock() {
  // Same range as the one held: the disk file only counts.
  return LockRange(LockedRange());
}

bool TDbfTable::TakeWholeLock(bool lock_all) {
  if (wholly_locked_) return CountLock();
  // An unshared file grants a lock-all without counting it; the table counts
  // it like any other lock so that releasing an append or record lock taken
  // under it does not end it.
  const bool granted = lock_all ? (Shared() ? LockAll() : LockRange(kLockAllRange))
                                : LockRange(LockOffsets(protocol_).table);
  if (!granted) return false;
  wholly_locked_ = true;
  try {
    RefreshHeader();
  } catch (...) {
    wholly_locked_ = false;
    ReleaseQuietly();
    throw;
  }
  return true;
}

bool TDbfTable::LockTable() {
  return TakeWholeLock(false);
}

bool TDbfTable::LockTableAll() {
  return TakeWholeLock(true);
}

bool TDbfTable::TakeAppendLock() {
  // Another writer holds the append lock from its recount to its header
  // write: appending meanwhile would count the same records and write over
  // the one it is adding. So the lock is waited for, as a memo write waits
  // for the memo lock, and a lock that never comes fails the append before
  // anything is written. A refusal caused by a lock of our own (the disk
  // file holds one range at a time) cannot end by waiting; that append goes
  // ahead unlocked.
  for (int attempt = 1;; ++attempt) {
    if (LockAppend()) return true;
    if (LockCount() > 0) return false;
    if (attempt >= lock_retry_.attempts) raise<DbfError>("Can not Lock file %s", {ShownName()});
    if (lock_retry_.sleep) {
      lock_retry_.sleep(lock_retry_.pause);
    } else {
      std::this_thread::sleep_for(lock_retry_.pause);
    }
  }
}

bool TDbfTable::LockAppend() {
  return wholly_locked_ ? CountLock() : LockRange(LockOffsets(protocol_).append);
}

bool TDbfTable::LockRecord(int32_t record) {
  if (wholly_locked_) return CountLock();
  return LockRange(RecordLockRange(protocol_, record, header_length_, record_length_, false));
}

void TDbfTable::ReleaseLock() {
  if (wholly_locked_ && LockCount() <= 1) {
    // The last level of a whole-table lock: the deferred header goes out
    // while the table is still ours.
    wholly_locked_ = false;
    try {
      WriteHeader();
    } catch (...) {
      ReleaseQuietly();
      throw;
    }
  }
  UnlockRange();
}

void TDbfTable::ReleaseQuietly() noexcept {
  try {
    UnlockRange();
  } catch (...) {
    // Reported by the failure being handled; closing drops the lock anyway.
  }
}

}  // namespace pharmex::dbf
