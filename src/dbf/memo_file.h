// TMemoFile: the memo file beside a table, which holds the texts of its memo
// fields (M) and the bytes of its binary fields (B, G); the table's record
// keeps only the number of the memo's first block (docs/memo_format.md).
//
// This class is the dBase III / Clipper flavour and the base of the other two
// (TMemo4File for dBase IV, TFoxMemoFile for FoxPro). They share opening,
// reading by block number, the memo lock and the validation of block numbers;
// each flavour lays out its header and its memos and chooses where a new memo
// goes.
//
// dBase III: 512-byte blocks, no header in front of a memo, the text ended by
// 0x1A 0x1A. A rewritten memo stays where it was when its old blocks suffice;
// otherwise it goes to the header's next free block, which then moves on.
//
// Damage. A block number before the first memo block or beyond the end of the
// file, a memo whose length runs past the end of the file, or a header with an
// unusable block size fail with "Memo record is bad in %s": nothing is read
// or allocated on the word of a damaged number.
//
// Locking. On a shared file every write holds the memo lock of the lock
// protocol from before the free-space search until the memo is written, so two
// writers never take the same blocks. A refused lock is retried (100 attempts,
// 50 ms apart) before "Can not Lock file %s"; tests replace the pause.
//
// One object is used by one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "dbf/disk_file.h"
#include "dbf/lock_protocol.h"

namespace pharmex::dbf {

class TMemoFile : public TDiskFile {
 public:
  TMemoFile(std::string_view path, bool shared, bool read_write, platform::FileSystem& file_system);
  ~TMemoFile() override;

  // The memo path of a table: its extension replaced by `extension` (given in
  // lower case, with its "."), whose letters take the case of the table's
  // extension (ORDERS.DBF -> ORDERS.DBT, orders.dbf -> orders.dbt). A
  // case-sensitive file system must find the pair the way Windows does.
  static std::string MemoPath(std::string_view table_path, std::string_view extension);
  // The existing memo file of a table: MemoPath first, then the extension in
  // lower and in upper case. MemoPath when none of them exists.
  static std::string FindMemoPath(std::string_view table_path, std::string_view extension,
                                  platform::FileSystem& file_system);

  // A new dBase III memo file: block 0 zero but for the next free block 1 at 0
  // and the table's base name (8 characters) at 8, then one 0x1A (513 bytes).
  static std::string InitialHeader(std::string_view base_name);

  // Opens the file and reads its header ("File %s could not be found",
  // "Access denied to file %s", "Memo record is bad in %s"). Opened for
  // writing, a dBase IV file whose header is shorter than a block is filled
  // up to one, unless `complete_header` is false: it is then completed when
  // the first memo is written.
  void OpenMemo(bool complete_header = true);
  uint32_t BlockSize() const { return block_size_; }

  // The length of the memo starting at `block`; 0 for block 0.
  uint64_t MemoLength(int64_t block);
  // Reads up to buffer.size() bytes of the memo's text; returns the count.
  size_t ReadMemo(int64_t block, std::span<char> buffer);
  // The whole memo ("" for block 0).
  std::string ReadMemo(int64_t block);
  // Stores `text` as the memo that replaces the one at `old_block` (0: none)
  // and returns its first block; 0 for an empty text, which writes no block.
  // REQUIRES: opened for writing.
  int64_t WriteMemo(int64_t old_block, std::span<const char> text);
  // Gives the blocks of the memo at `block` back for later memos, under the
  // memo lock like a write. Only dBase IV keeps a list of free blocks; the
  // other flavours leave them where they are, as lost space. Nothing happens
  // for block 0 or a block that holds no memo.
  // REQUIRES: opened for writing, and no record refers to the memo any more.
  virtual void FreeMemo(int64_t block);

  TLockProtocol LockProtocol() const { return protocol_; }
  void SetLockProtocol(TLockProtocol protocol) { protocol_ = protocol; }
  const TLockRetry& LockRetry() const { return retry_; }
  void SetLockRetry(TLockRetry retry) { retry_ = std::move(retry); }

 protected:
  // Where a memo's text lies in the file.
  struct Extent {
    uint64_t offset = 0;
    uint64_t length = 0;
  };

  // Reads the header: the block size, and what else the flavour keeps there.
  virtual void ReadMemoHeader();
  // Fills a header shorter than the flavour's header block up to it (a file
  // opened for writing).
  virtual void CompleteHeader() {}
  // The text of the memo at `block` (> 0), validated against the file.
  virtual Extent Locate(int64_t block);
  // Writes `text` (the memo lock held) and returns its first block.
  virtual int64_t Store(int64_t old_block, std::span<const char> text);

  void SetBlockSize(uint32_t size) { block_size_ = size; }
  // Runs `work` under the memo lock when the file is shared.
  void UnderMemoLock(const std::function<void()>& work);
  [[noreturn]] void RaiseBad() const;
  // The offset of `block`, which must be > 0 and start inside the file.
  uint64_t CheckedStart(int64_t block);
  uint64_t BlockCount(uint64_t bytes) const { return (bytes + block_size_ - 1) / block_size_; }
  // Writes head, text and tail from the start of `block`, zero-padded to a
  // whole number of blocks.
  void WriteBlocks(uint64_t block, std::string_view head, std::span<const char> text,
                   std::string_view tail);
  // The memo at `old_block` when its blocks can take `blocks` blocks; 0
  // otherwise (also when it is damaged: its blocks are then left alone).
  int64_t ReusableBlock(int64_t old_block, uint64_t blocks, uint64_t overhead);

 private:
  void LockMemo();
  // The first block after the used ones.
  uint64_t FirstUnusedBlock();

  uint32_t block_size_;
  TLockProtocol protocol_ = TLockProtocol::Default;
  TLockRetry retry_;
};

}  // namespace pharmex::dbf
