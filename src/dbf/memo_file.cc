#include "dbf/memo_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <limits>
#include <thread>
#include <vector>

#include "core/error.h"
#include "dbf/dbf_format.h"
#include "dbf/memo_format.h"
#include "platform/paths.h"

namespace pharmex::dbf {

namespace {

std::string WithCase(std::string_view text, bool upper) {
  std::string out(text);
  for (char& c : out) {
    const auto u = static_cast<unsigned char>(c);
    c = static_cast<char>(upper ? std::toupper(u) : std::tolower(u));
  }
  return out;
}

// A text longer than this cannot be described by a 32-bit length word.
constexpr uint64_t kMaxText =
    std::numeric_limits<uint32_t>::max() - memo_format::kDb4MemoHeaderSize;

}  // namespace

TMemoFile::TMemoFile(std::string_view path, bool shared, bool read_write,
                     platform::FileSystem& file_system)
    : TDiskFile(path, shared, read_write, file_system), block_size_(memo_format::kDb3BlockSize) {}

TMemoFile::~TMemoFile() = default;

std::string TMemoFile::MemoPath(std::string_view table_path, std::string_view extension) {
  std::string_view table_ext = platform::extract_file_ext(table_path);
  const bool upper = std::none_of(table_ext.begin(), table_ext.end(), [](char c) {
    return std::islower(static_cast<unsigned char>(c));
  });
  return platform::change_file_ext(table_path, WithCase(extension, upper && !table_ext.empty()));
}

std::string TMemoFile::FindMemoPath(std::string_view table_path, std::string_view extension,
                                    platform::FileSystem& file_system) {
  const std::array<std::string, 3> candidates = {
      MemoPath(table_path, extension),
      platform::change_file_ext(table_path, WithCase(extension, false)),
      platform::change_file_ext(table_path, WithCase(extension, true))};
  for (const std::string& path : candidates) {
    if (file_system.exists(TDiskFile::FullPath(path))) return path;
  }
  return candidates[0];
}

std::string TMemoFile::InitialHeader(std::string_view base_name) {
  std::string header(memo_format::kDb3BlockSize + 1, '\0');
  format::EncodeFixed32(&header[memo_format::kNextFreeOffset], 1);
  base_name = base_name.substr(0, memo_format::kNameLength);
  std::copy(base_name.begin(), base_name.end(), header.begin() + memo_format::kNameOffset);
  header[memo_format::kDb3BlockSize] = memo_format::kDb3TextEnd;
  return header;
}

void TMemoFile::OpenMemo(bool complete_header) {
  OpenFile();
  try {
    ReadMemoHeader();
    if (complete_header && ReadWrite()) CompleteHeader();
  } catch (...) {
    CloseFile();
    throw;
  }
}

void TMemoFile::ReadMemoHeader() {
  // dBase III keeps nothing in its header that reading needs.
  block_size_ = memo_format::kDb3BlockSize;
}

[[noreturn]] void TMemoFile::RaiseBad() const {
  raise<DbfError>("Memo record is bad in %s", {ShownName()});
}

uint64_t TMemoFile::CheckedStart(int64_t block) {
  if (block <= 0 ||
      static_cast<uint64_t>(block) > std::numeric_limits<uint64_t>::max() / 2 / block_size_) {
    RaiseBad();
  }
  const uint64_t start = static_cast<uint64_t>(block) * block_size_;
  if (start >= FileSize()) RaiseBad();
  return start;
}

TMemoFile::Extent TMemoFile::Locate(int64_t block) {
  const uint64_t start = CheckedStart(block);
  // The text runs up to its first 0x1A, or to the end of the file, and is
  // never taken to be longer than the scan limit.
  std::vector<char> chunk(memo_format::kDb3BlockSize);
  uint64_t length = 0;
  while (length < memo_format::kDb3MaxScan) {
    const size_t want =
        static_cast<size_t>(std::min<uint64_t>(chunk.size(), memo_format::kDb3MaxScan - length));
    const size_t got = ReadAt(start + length, {chunk.data(), want});
    const auto end = std::find(chunk.begin(), chunk.begin() + static_cast<ptrdiff_t>(got),
                               memo_format::kDb3TextEnd);
    length += static_cast<uint64_t>(end - chunk.begin());
    if (end != chunk.begin() + static_cast<ptrdiff_t>(got) || got < want) break;
  }
  return {start, length};
}

uint64_t TMemoFile::MemoLength(int64_t block) {
  return block == 0 ? 0 : Locate(block).length;
}

size_t TMemoFile::ReadMemo(int64_t block, std::span<char> buffer) {
  if (block == 0) return 0;
  const Extent extent = Locate(block);
  const auto count = static_cast<size_t>(std::min<uint64_t>(buffer.size(), extent.length));
  return ReadAt(extent.offset, buffer.first(count));
}

std::string TMemoFile::ReadMemo(int64_t block) {
  if (block == 0) return {};
  const Extent extent = Locate(block);
  // Locate has checked the length against the file: no allocation beyond it.
  std::string text(static_cast<size_t>(extent.length), '\0');
  text.resize(ReadAt(extent.offset, text));
  return text;
}

void TMemoFile::LockMemo() {
  const TLockRange range = LockOffsets(protocol_).memo;
  for (int attempt = 1;; ++attempt) {
    if (LockRange(range)) return;
    if (attempt >= retry_.attempts) raise<DbfError>("Can not Lock file %s", {ShownName()});
    if (retry_.sleep) {
      retry_.sleep(retry_.pause);
    } else {
      std::this_thread::sleep_for(retry_.pause);
    }
  }
}

void TMemoFile::UnderMemoLock(const std::function<void()>& work) {
  const bool lock = Shared();
  if (lock) LockMemo();
  try {
    work();
  } catch (...) {
    if (lock) {
      try {
        UnlockRange();
      } catch (...) {
        // The write failure is the one to report; closing drops the lock.
      }
    }
    throw;
  }
  if (lock) UnlockRange();
}

int64_t TMemoFile::WriteMemo(int64_t old_block, std::span<const char> text) {
  if (text.empty() && old_block == 0) return 0;
  if (text.size() > kMaxText) raise<DbfError>("Error writing to %s", {ShownName()});
  int64_t block = 0;
  UnderMemoLock([&] { block = Store(old_block, text); });
  return block;
}

void TMemoFile::FreeMemo(int64_t /*block*/) {
  // No free list in this flavour: the blocks stay behind, unused.
}

void TMemoFile::WriteBlocks(uint64_t block, std::string_view head, std::span<const char> text,
                            std::string_view tail) {
  const uint64_t used = head.size() + text.size() + tail.size();
  std::vector<char> buffer(static_cast<size_t>(BlockCount(used) * block_size_), '\0');
  auto out = std::copy(head.begin(), head.end(), buffer.begin());
  out = std::copy(text.begin(), text.end(), out);
  std::copy(tail.begin(), tail.end(), out);
  WriteAt(block * block_size_, buffer);
}

int64_t TMemoFile::ReusableBlock(int64_t old_block, uint64_t blocks, uint64_t overhead) {
  if (old_block <= 0) return 0;
  try {
    if (BlockCount(Locate(old_block).length + overhead) >= blocks) return old_block;
  } catch (const DbfError&) {
    // A damaged old memo is left where it is; the new one goes elsewhere.
  }
  return 0;
}

uint64_t TMemoFile::FirstUnusedBlock() {
  const uint64_t size = FileSize();
  // A new file is block 0 and one 0x1A, which sits where block 1 starts: that
  // block is still free.
  if (size == block_size_ + 1) {
    char mark = 0;
    if (ReadAt(block_size_, {&mark, 1}) == 1 && mark == memo_format::kDb3TextEnd) return 1;
  }
  return BlockCount(size);
}

int64_t TMemoFile::Store(int64_t old_block, std::span<const char> text) {
  if (text.empty()) return 0;
  constexpr std::string_view kEnd("\x1A\x1A", 2);
  const uint64_t blocks = BlockCount(text.size() + kEnd.size());
  if (int64_t block = ReusableBlock(old_block, blocks, kEnd.size())) {
    WriteBlocks(static_cast<uint64_t>(block), {}, text, kEnd);
    return block;
  }
  char next[4] = {};
  const bool has_header = ReadAt(memo_format::kNextFreeOffset, next) == sizeof next;
  // Never below the blocks the file already has: a stale header must not
  // send a memo over another one, and a partly written last block (a memo
  // whose writer did not pad it) counts as used.
  const uint64_t end = std::max<uint64_t>(FirstUnusedBlock(), 1);
  const uint64_t block = std::max<uint64_t>(has_header ? format::DecodeFixed32(next) : 0, end);
  WriteBlocks(block, {}, text, kEnd);
  format::EncodeFixed32(next, static_cast<uint32_t>(block + blocks));
  WriteAt(memo_format::kNextFreeOffset, next);
  return static_cast<int64_t>(block);
}

}  // namespace pharmex::dbf
