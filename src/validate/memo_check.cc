#include "validate/memo_check.h"

#include "core/error.h"
#include "core/number_format.h"
#include "dbf/dbf_format.h"
#include "dbf/memo_file.h"
#include "dbf/memo_format.h"
#include "platform/paths.h"
#include "platform/text_codec.h"
#include "validate/shown_bytes.h"

namespace pharmex::validate {

namespace {

namespace fmt = dbf::format;
namespace memo = dbf::memo_format;

std::string blocks(uint64_t count) {
  return std::to_string(count) + (count == 1 ? " block" : " blocks");
}

}  // namespace

MemoCheck::MemoCheck(platform::FileSystem& file_system, const std::string& table_path,
                     uint8_t version, Findings& findings) {
  const bool fox = version == fmt::kVersionFoxMemo || version == fmt::kVersionVisualFox;
  flavour_ =
      fox ? Flavour::foxpro : (version == fmt::kVersionDb3Memo ? Flavour::dbase3 : Flavour::dbase4);
  const std::string path =
      dbf::TMemoFile::FindMemoPath(table_path, fox ? ".fpt" : ".dbt", file_system);
  shown_path_ = platform::native_path(path);
  try {
    file_ = std::make_unique<TableFile>(file_system, path);
  } catch (const Error&) {
    findings.add(Finding::Place::file, 0, "", std::nullopt,
                 "the memo file " + shown_path_ + " is missing",
                 "the memo file beside the table, which has memo fields");
    return;
  }
  const std::string header = file_->read(0, memo::kDb4HeaderSize);
  if (flavour_ == Flavour::dbase4 && header.size() == memo::kDb4HeaderSize) {
    block_size_ = fmt::DecodeFixed32(&header[memo::kDb4BlockSizeOffset]);
  } else if (flavour_ == Flavour::foxpro && header.size() >= memo::kFoxBlockSizeOffset + 2) {
    block_size_ = memo::DecodeBig16(&header[memo::kFoxBlockSizeOffset]);
  }
  const uint32_t smallest = flavour_ == Flavour::dbase3 ? 1 : memo::kDb4MemoHeaderSize;
  if (header.size() < memo::kDb4HeaderSize || block_size_ < smallest ||
      block_size_ > memo::kMaxBlockSize) {
    add(Finding::Place::memo, 0, "", 0,
        "the memo file's header is damaged (" + std::to_string(header.size()) +
            " bytes, block size " + std::to_string(block_size_) + ")",
        "a header of at least 24 bytes giving the block size", findings);
    file_.reset();
  }
}

void MemoCheck::add(Finding::Place place, int64_t record, const std::string& field, uint64_t offset,
                    std::string problem, std::string expected, Findings& findings) const {
  findings.add(
      {shown_path_, place, record, field, offset, std::move(problem), std::move(expected)});
}

std::optional<MemoCheck::Memo> MemoCheck::locate(int64_t record, const std::string& field,
                                                 uint64_t block, Findings& findings) {
  const uint64_t at = block * block_size_;
  const std::string head = file_->read(at, memo::kDb4MemoHeaderSize);
  const std::string memo_of =
      "the memo of record " + std::to_string(record) + " at block " + std::to_string(block);
  if (flavour_ == Flavour::dbase3) {
    const std::string text = file_->read(at, memo::kDb3MaxScan + 1);
    const size_t end = text.find(memo::kDb3TextEnd);
    if (end == std::string::npos || end > memo::kDb3MaxScan) {
      add(Finding::Place::memo, record, field, at, memo_of + " has no end mark",
          "the text ended by 0x1A 0x1A", findings);
      return std::nullopt;
    }
    return Memo{at, end};
  }
  uint64_t length = 0;
  if (flavour_ == Flavour::dbase4) {
    const bool marked = head.size() == memo::kDb4MemoHeaderSize &&
                        static_cast<uint8_t>(head[0]) == 0xFF &&
                        static_cast<uint8_t>(head[1]) == 0xFF;
    const uint32_t total = marked ? fmt::DecodeFixed32(&head[memo::kDb4TotalLengthOffset]) : 0;
    if (!marked || total < memo::kDb4MemoHeaderSize) {
      add(Finding::Place::memo, record, field, at, memo_of + " does not start a memo",
          "FF FF 08 00 and the memo's length", findings);
      return std::nullopt;
    }
    length = total - memo::kDb4MemoHeaderSize;
  } else {
    const uint32_t type = head.size() == memo::kFoxMemoHeaderSize ? memo::DecodeBig32(&head[0]) : 2;
    if (type != memo::kFoxTypeText && type != memo::kFoxTypePicture) {
      add(Finding::Place::memo, record, field, at, memo_of + " does not start a memo",
          "type 0 or 1 and the memo's length", findings);
      return std::nullopt;
    }
    length = memo::DecodeBig32(&head[4]);
  }
  if (at + memo::kDb4MemoHeaderSize + length > file_->size()) {
    add(Finding::Place::memo, record, field, at,
        memo_of + " is " + std::to_string(length) + " bytes long and runs past the file's end",
        "a memo that ends within the memo file (" + std::to_string(file_->size()) + " bytes)",
        findings);
    return std::nullopt;
  }
  return Memo{at + memo::kDb4MemoHeaderSize, length};
}

void MemoCheck::check(int64_t record, const std::string& field, std::string_view cell,
                      uint64_t offset, const TextPage* text, Findings& findings) {
  const std::string shown_cell =
      shown(cell, text != nullptr ? text->page() : platform::text_codec().oem());
  if (cell.find_first_not_of(' ') == std::string_view::npos) return;
  std::optional<int64_t> block = parse_int64(cell);
  if (!block || *block < 0 || cell.back() == ' ') {
    findings.add(Finding::Place::record, record, field, offset,
                 "the memo pointer " + shown_cell + " is no block number",
                 "a block number right-justified in 10 characters, or blanks");
    return;
  }
  if (*block == 0 || file_ == nullptr) return;
  const uint64_t count = (file_->size() + block_size_ - 1) / block_size_;
  if (static_cast<uint64_t>(*block) >= count) {
    findings.add(
        Finding::Place::record, record, field, offset,
        "the memo pointer " + std::to_string(*block) + " lies beyond the end of the memo file",
        "a block of the memo file's " + blocks(count));
    return;
  }
  std::optional<Memo> memo_text = locate(record, field, static_cast<uint64_t>(*block), findings);
  if (!memo_text || text == nullptr) return;
  const std::string bytes = file_->read(memo_text->text_at, memo_text->length);
  if (std::optional<TextPage::Problem> problem = text->first_problem(bytes)) {
    add(Finding::Place::memo, record, field, memo_text->text_at + problem->index,
        "the memo of record " + std::to_string(record) + ": " + problem->problem, problem->expected,
        findings);
  }
}

}  // namespace pharmex::validate
