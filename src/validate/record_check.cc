#include "validate/record_check.h"

#include <memory>
#include <string_view>

#include "dbf/dbf_format.h"
#include "platform/code_page.h"
#include "platform/text_codec.h"
#include "validate/cell_check.h"
#include "validate/memo_check.h"
#include "validate/shown_bytes.h"
#include "validate/text_page.h"

namespace pharmex::validate {

namespace {

namespace fmt = dbf::format;

// Records are read this many bytes at a time, whatever their number.
constexpr size_t kChunk = 1 << 20;

// The page of the library's pair that the table's text is not in, whose
// letters a mixed-up text would show.
const platform::CodePage* other_page(const platform::CodePage& page) {
  const platform::TextCodec& codec = platform::text_codec();
  if (page.number() == codec.oem().number()) return &codec.ansi();
  if (page.number() == codec.ansi().number()) return &codec.oem();
  return nullptr;
}

class RecordWalk {
 public:
  RecordWalk(const TableStructure& table, const TableLayout& layout, TextPage text, MemoCheck* memo,
             Findings& findings)
      : table_(table), layout_(layout), text_(text), memo_(memo), findings_(findings) {}

  void record(int64_t number, uint64_t at, std::string_view bytes) {
    check_flag(number, at, bytes[0]);
    if (!table_.fields_fit) return;
    for (const Descriptor& field : table_.fields) {
      const std::string_view cell = bytes.substr(field.offset, field.length);
      const uint64_t cell_at = at + field.offset;
      if (field.is_memo()) {
        if (memo_ != nullptr && table_.version != fmt::kVersionVisualFox) {
          memo_->check(number, field.name, cell, cell_at, field.type == 'M' ? &text_ : nullptr,
                       findings_);
        }
        continue;
      }
      if (std::optional<CellProblem> problem =
              check_cell(field, cell, text_, layout_.written_by_library())) {
        findings_.add(Finding::Place::record, number, field.name, cell_at + problem->index,
                      std::move(problem->problem), std::move(problem->expected));
      }
    }
  }

 private:
  void check_flag(int64_t number, uint64_t at, char flag) {
    if (flag == fmt::kLiveRecord) return;
    if (flag == fmt::kDeletedRecord) {
      findings_.add(Finding::Place::record, number, "", at,
                    layout_.form == TableForm::order_file && !layout_.name.empty()
                        ? "the record is deleted: the import passes it over"
                        : "the record is deleted",
                    "' ', a live record");
      return;
    }
    findings_.add(Finding::Place::record, number, "", at,
                  "the deletion flag is " + hex_byte(static_cast<unsigned char>(flag)),
                  "' ' (or '*' for a deleted record)");
  }

  const TableStructure& table_;
  const TableLayout& layout_;
  TextPage text_;
  MemoCheck* memo_;
  Findings& findings_;
};

}  // namespace

void check_records(TableFile& file, const TableStructure& table, const TableLayout& layout,
                   platform::FileSystem& file_system, Findings& findings) {
  const platform::CodePage& page = *platform::CodePage::find(table.text_code_page);
  std::unique_ptr<MemoCheck> memo;
  // A 0x30 table keeps binary block numbers; its memo file is not judged.
  if (table.has_memo_fields() && table.version != fmt::kVersionVisualFox) {
    memo = std::make_unique<MemoCheck>(file_system, file.path(), table.version, findings);
  }
  RecordWalk walk(table, layout, TextPage(page, other_page(page)), memo.get(), findings);
  const uint64_t per_chunk = std::max<uint64_t>(1, kChunk / table.record_length);
  for (uint64_t first = 0; first < table.record_count; first += per_chunk) {
    const uint64_t count = std::min(per_chunk, table.record_count - first);
    const uint64_t at = table.header_length + first * table.record_length;
    const std::string bytes = file.read(at, static_cast<size_t>(count * table.record_length));
    for (uint64_t i = 0; i < count && (i + 1) * table.record_length <= bytes.size(); ++i) {
      walk.record(static_cast<int64_t>(first + i + 1), at + i * table.record_length,
                  std::string_view(bytes).substr(i * table.record_length, table.record_length));
    }
  }
}

}  // namespace pharmex::validate
