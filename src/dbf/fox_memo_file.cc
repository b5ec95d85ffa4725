#include "dbf/fox_memo_file.h"

#include <algorithm>

#include "dbf/memo_format.h"

namespace pharmex::dbf {

namespace {

using memo_format::kFoxMemoHeaderSize;

}  // namespace

std::string TFoxMemoFile::InitialHeader() {
  std::string header(memo_format::kFoxHeaderSize, '\0');
  memo_format::EncodeBig32(&header[memo_format::kNextFreeOffset], memo_format::kFoxFirstFree);
  memo_format::EncodeBig16(&header[memo_format::kFoxBlockSizeOffset],
                           static_cast<uint16_t>(memo_format::kFoxBlockSize));
  return header;
}

void TFoxMemoFile::ReadMemoHeader() {
  char header[8];
  if (ReadAt(0, header) < sizeof header) RaiseBad();
  const uint16_t block_size = memo_format::DecodeBig16(&header[memo_format::kFoxBlockSizeOffset]);
  if (block_size == 0) RaiseBad();
  SetBlockSize(block_size);
}

TMemoFile::Extent TFoxMemoFile::Locate(int64_t block) {
  const uint64_t start = CheckedStart(block);
  char head[kFoxMemoHeaderSize];
  if (ReadAt(start, head) < sizeof head) RaiseBad();
  const uint32_t type = memo_format::DecodeBig32(head);
  if (type != memo_format::kFoxTypeText && type != memo_format::kFoxTypePicture) RaiseBad();
  const uint32_t length = memo_format::DecodeBig32(head + 4);
  if (start + kFoxMemoHeaderSize + length > FileSize()) RaiseBad();
  return {start + kFoxMemoHeaderSize, length};
}

int64_t TFoxMemoFile::Store(int64_t old_block, std::span<const char> text) {
  if (text.empty()) return 0;
  const uint64_t blocks = BlockCount(text.size() + kFoxMemoHeaderSize);
  char head[kFoxMemoHeaderSize];
  memo_format::EncodeBig32(head, memo_format::kFoxTypeText);
  memo_format::EncodeBig32(head + 4, static_cast<uint32_t>(text.size()));
  if (int64_t block = ReusableBlock(old_block, blocks, kFoxMemoHeaderSize)) {
    WriteBlocks(static_cast<uint64_t>(block), {head, sizeof head}, text, {});
    return block;
  }
  char next[4] = {};
  const bool has_header = ReadAt(memo_format::kNextFreeOffset, next) == sizeof next;
  // Never below the blocks the file already has (a stale header must not send
  // a memo over another one); a partly written last block counts as used.
  const uint64_t end = std::max<uint64_t>(BlockCount(FileSize()), 1);
  const uint64_t block = std::max<uint64_t>(has_header ? memo_format::DecodeBig32(next) : 0, end);
  WriteBlocks(block, {head, sizeof head}, text, {});
  memo_format::EncodeBig32(next, static_cast<uint32_t>(block + blocks));
  WriteAt(memo_format::kNextFreeOffset, next);
  return static_cast<int64_t>(block);
}

}  // namespace pharmex::dbf
