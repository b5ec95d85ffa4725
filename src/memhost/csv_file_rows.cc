#include "memhost/csv_file_rows.h"

#include <algorithm>

#include "core/error.h"
#include "memhost/csv_scanner.h"
#include "memhost/csv_value.h"
#include "platform/text_codec.h"

namespace pharmex::memhost {

void CsvFileRows::RowOffsets::push_back(uint64_t offset) {
  while (wraps_.size() < (offset >> 32))
    wraps_.push_back(size_);
  if (size_ % kChunk == 0) chunks_.push_back(std::make_unique_for_overwrite<uint32_t[]>(kChunk));
  chunks_[size_ / kChunk][size_ % kChunk] = static_cast<uint32_t>(offset);
  ++size_;
}

uint64_t CsvFileRows::RowOffsets::operator[](size_t row) const {
  const uint64_t low = chunks_[row / kChunk][row % kChunk];
  const auto high =
      static_cast<uint64_t>(std::upper_bound(wraps_.begin(), wraps_.end(), row) - wraps_.begin());
  return high << 32 | low;
}

CsvFileRows::CsvFileRows(std::unique_ptr<CheckedFile> file) : file_(std::move(file)) {}

std::unique_ptr<CsvFileRows> CsvFileRows::open(const std::string& path) {
  auto file = std::make_unique<CheckedFile>(platform::text_codec().utf8_to_ansi(path));
  std::unique_ptr<CsvFileRows> rows(new CsvFileRows(std::move(file)));
  CsvScanner scanner(*rows->file_, path);
  rows->columns_ = scanner.read_header();
  uint64_t offset = 0;
  while (scanner.next_row(offset, nullptr))
    rows->offsets_.push_back(offset);
  rows->end_ = scanner.end();
  rows->file_->finish_first_reading();
  rows->values_.resize(rows->columns_.size());
  rows->read_.resize(rows->columns_.size());
  return rows;
}

void CsvFileRows::changed() const {
  raise<Error>("The file %s changed while it was read", {file_->path()});
}

void CsvFileRows::load(size_t row) const {
  row_ = kNoRow;
  const uint64_t start = offsets_[row];
  const uint64_t end = row + 1 < offsets_.size() ? offsets_[row + 1] : end_;
  std::string_view bytes =
      file_->bytes(start, static_cast<size_t>(end - start), row == previous_row_ + 1);
  const CsvSplitResult split = split_csv_record(bytes, true, record_);
  if (split.outcome != CsvSplit::kRecord || split.length != bytes.size() ||
      record_.cells.size() != columns_.size()) {
    changed();
  }
  std::fill(read_.begin(), read_.end(), uint8_t{0});
  row_ = previous_row_ = row;
}

const Variant& CsvFileRows::value(size_t row, size_t column) const {
  if (row != row_) load(row);
  Variant& value = values_[column];
  if (!read_[column]) {
    if (record_.is_null(column)) {
      value = Variant::null();
    } else {
      std::optional<Variant> parsed =
          parse_csv_value(record_.text(column, scratch_), columns_[column].type);
      if (!parsed) changed();  // the scan found it valid
      value = std::move(*parsed);
    }
    read_[column] = 1;
  }
  return value;
}

}  // namespace pharmex::memhost
