#include "dbf/memo4_file.h"

#include <algorithm>
#include <vector>

#include "core/error.h"
#include "dbf/dbf_format.h"
#include "dbf/memo_format.h"

namespace pharmex::dbf {

namespace {

using memo_format::kDb4MemoHeaderSize;

// The first word of a block that holds a memo (FF FF 08 00): a chain link
// pointing at such a block is damaged, and following it would hand out a
// live memo's blocks.
constexpr uint32_t kLiveMemoWord = 0x0008FFFF;

std::string MemoHeader(uint64_t text_length) {
  std::string head(kDb4MemoHeaderSize, '\0');
  format::EncodeFixed32(head.data(), kLiveMemoWord);
  format::EncodeFixed32(&head[memo_format::kDb4TotalLengthOffset],
                        static_cast<uint32_t>(text_length + kDb4MemoHeaderSize));
  return head;
}

}  // namespace

std::string TMemo4File::InitialHeader(std::string_view base_name) {
  std::string header(memo_format::kDb4HeaderSize, '\0');
  format::EncodeFixed32(&header[memo_format::kNextFreeOffset], 1);
  base_name = base_name.substr(0, memo_format::kNameLength);
  std::copy(base_name.begin(), base_name.end(), header.begin() + memo_format::kNameOffset);
  header[memo_format::kDb4MarkerOffset + 2] = 0x02;
  header[memo_format::kDb4MarkerOffset + 3] = 0x01;
  format::EncodeFixed32(&header[memo_format::kDb4BlockSizeOffset], memo_format::kDb4BlockSize);
  return header;
}

void TMemo4File::ReadMemoHeader() {
  char header[memo_format::kDb4HeaderSize];
  if (ReadAt(0, header) < sizeof header) RaiseBad();
  const uint32_t block_size = format::DecodeFixed32(&header[memo_format::kDb4BlockSizeOffset]);
  // A block must at least hold a memo's own header.
  if (block_size < kDb4MemoHeaderSize || block_size > memo_format::kMaxBlockSize) RaiseBad();
  SetBlockSize(block_size);
}

void TMemo4File::CompleteHeader() {
  const uint64_t size = FileSize();
  if (size < BlockSize()) {
    WriteAt(size, std::vector<char>(static_cast<size_t>(BlockSize() - size), '\0'));
  }
}

TMemoFile::Extent TMemo4File::Locate(int64_t block) {
  const uint64_t start = CheckedStart(block);
  char head[kDb4MemoHeaderSize];
  if (ReadAt(start, head) < sizeof head) RaiseBad();
  if (static_cast<unsigned char>(head[0]) != 0xFF || static_cast<unsigned char>(head[1]) != 0xFF)
    RaiseBad();
  const uint32_t total = format::DecodeFixed32(&head[memo_format::kDb4TotalLengthOffset]);
  if (total < kDb4MemoHeaderSize || start + total > FileSize()) RaiseBad();
  return {start + kDb4MemoHeaderSize, total - kDb4MemoHeaderSize};
}

uint64_t TMemo4File::EndBlock() {
  const uint64_t size = FileSize();
  if (size < BlockSize()) {
    // No whole header block yet: complete it before anything goes behind it.
    WriteAt(size, std::vector<char>(static_cast<size_t>(BlockSize() - size), '\0'));
    return 1;
  }
  return BlockCount(size);
}

TMemo4File::Run TMemo4File::ReadRun(uint64_t block) {
  char words[8] = {};
  ReadAt(block * BlockSize(), words);
  return {format::DecodeFixed32(words),
          format::DecodeFixed32(words + memo_format::kRunCountOffset)};
}

void TMemo4File::WriteRun(uint64_t block, const Run& run) {
  char words[8];
  format::EncodeFixed32(words, static_cast<uint32_t>(run.next));
  format::EncodeFixed32(words + memo_format::kRunCountOffset, static_cast<uint32_t>(run.count));
  WriteAt(block * BlockSize(), words);
}

void TMemo4File::WriteLink(uint64_t block, uint64_t next) {
  char word[4];
  format::EncodeFixed32(word, static_cast<uint32_t>(next));
  WriteAt(block * BlockSize(), word);
}

void TMemo4File::FreeBlocks(int64_t block) {
  uint64_t count = 0;
  try {
    count = BlockCount(Locate(block).length + kDb4MemoHeaderSize);
  } catch (const DbfError&) {
    // Not a memo (damaged, or already freed): its blocks are left alone
    // rather than linked into the chain on the word of a bad header.
    return;
  }
  const Run header = ReadRun(0);
  WriteRun(static_cast<uint64_t>(block), {header.next, count});
  WriteRun(0, {static_cast<uint64_t>(block), 0});
}

void TMemo4File::FreeMemo(int64_t block) {
  if (block <= 0) return;
  UnderMemoLock([&] { FreeBlocks(block); });
}

uint64_t TMemo4File::TakeBlocks(uint64_t count) {
  const uint64_t end = EndBlock();
  uint64_t previous = 0;  // the header holds the first link
  uint64_t current = ReadRun(0).next;
  // A chain longer than the file has blocks runs in a circle: stop there.
  for (uint64_t steps = 0; current > 0 && current < end && steps < end; ++steps) {
    const Run run = ReadRun(current);
    if (run.next == kLiveMemoWord) break;  // a link into a live memo
    if (run.count >= count) {
      if (run.count == count) {
        WriteLink(previous, run.next);
      } else {
        WriteRun(current + count, {run.next, run.count - count});
        WriteLink(previous, current + count);
      }
      return current;
    }
    previous = current;
    current = run.next;
  }
  // Nothing fits: the memo goes behind the last block, and the chain's last
  // link (the header's when the chain is empty) moves behind it.
  WriteLink(previous, end + count);
  return end;
}

int64_t TMemo4File::Store(int64_t old_block, std::span<const char> text) {
  if (old_block > 0) FreeBlocks(old_block);
  // An emptied memo keeps no block: the field stores 0.
  if (text.empty()) return 0;
  const uint64_t block = TakeBlocks(BlockCount(text.size() + kDb4MemoHeaderSize));
  WriteBlocks(block, MemoHeader(text.size()), text, {});
  return static_cast<int64_t>(block);
}

}  // namespace pharmex::dbf
