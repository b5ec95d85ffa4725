// MemoCheck: the memo file beside a table with memo fields, and the memo
// pointers of its records. A pointer (the block number in a record's M, B or
// G field) must lie inside the memo file and reach a block that starts a
// memo of the table's flavour whose text ends inside the file:
//
//   dBase IV (0x8B)         FF FF 08 00, then the total length (text + 8)
//   dBase III (0x83)        the text, ended by 0x1A within 65520 bytes
//   FoxPro (0xF5, 0x30)     type 0 or 1 and the text length, big-endian
//
// The text of an M field's memo must be text of the table's code page.
// Findings about the memo file's own bytes name the memo file.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system.h"
#include "validate/finding.h"
#include "validate/table_file.h"
#include "validate/text_page.h"

namespace pharmex::validate {

class MemoCheck {
 public:
  // Opens the memo file of the table at `table_path` (ANSI) for a table of
  // `version`; reports a missing or damaged memo file.
  MemoCheck(platform::FileSystem& file_system, const std::string& table_path, uint8_t version,
            Findings& findings);

  bool open() const { return file_ != nullptr; }

  // Checks the pointer `cell` (the field's bytes, at `offset` of the table)
  // of record `record`'s field `field`; `text` is the page of an M field's
  // text, null for B and G fields.
  void check(int64_t record, const std::string& field, std::string_view cell, uint64_t offset,
             const TextPage* text, Findings& findings);

 private:
  enum class Flavour { dbase3, dbase4, foxpro };

  struct Memo {
    uint64_t text_at;
    uint64_t length;
  };
  // Where the memo at `block` keeps its text; nothing, after a finding, when
  // the block starts no memo.
  std::optional<Memo> locate(int64_t record, const std::string& field, uint64_t block,
                             Findings& findings);
  void add(Finding::Place place, int64_t record, const std::string& field, uint64_t offset,
           std::string problem, std::string expected, Findings& findings) const;

  Flavour flavour_ = Flavour::dbase4;
  std::string shown_path_;  // UTF-8, for findings
  std::unique_ptr<TableFile> file_;
  uint32_t block_size_ = 512;
};

}  // namespace pharmex::validate
