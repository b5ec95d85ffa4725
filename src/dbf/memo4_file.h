// TMemo4File: the dBase IV memo file, the flavour this system writes
// (docs/memo_format.md).
//
// Blocks of the size the header gives (512 as created). Every memo starts
// with an 8-byte block header, FF FF 08 00 and the total length (text + 8),
// and occupies whole blocks. Blocks given back by a rewritten memo form a
// chain of free runs that starts at the header's next-free word; each run
// names the next run and its own length in its first 8 bytes, and a link at or
// beyond the end of the file ends the chain.
//
// Writing first frees the old memo's blocks (they become the head of the
// chain), then takes the first run that is long enough: a memo that still
// fits therefore lands on its own blocks again. A longer run is split, its
// rest staying in the chain; when nothing fits the memo goes to the end of the
// file.
//
// As created the file holds only the 24 bytes of the header; the first
// opening for writing extends it to one whole block (or, opened as created,
// the first memo written).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dbf/memo_file.h"

namespace pharmex::dbf {

class TMemo4File : public TMemoFile {
 public:
  using TMemoFile::TMemoFile;

  // The 24 bytes of a new file: next free block 1, the first 8 characters of
  // the table's base name (zero-padded), 00 00 02 01, block size 512.
  static std::string InitialHeader(std::string_view base_name);

  // The memo's blocks become the head of the free chain.
  void FreeMemo(int64_t block) override;

 protected:
  void ReadMemoHeader() override;
  void CompleteHeader() override;
  Extent Locate(int64_t block) override;
  int64_t Store(int64_t old_block, std::span<const char> text) override;

 private:
  struct Run {
    uint64_t next = 0;
    uint64_t count = 0;
  };

  // The end of the used blocks: the file size in blocks, rounded up so that a
  // partly written last block is never handed out again.
  uint64_t EndBlock();
  Run ReadRun(uint64_t block);
  void WriteRun(uint64_t block, const Run& run);
  // Writes the link word of the header (block 0) or of a run.
  void WriteLink(uint64_t block, uint64_t next);
  void FreeBlocks(int64_t block);
  uint64_t TakeBlocks(uint64_t count);
};

}  // namespace pharmex::dbf
