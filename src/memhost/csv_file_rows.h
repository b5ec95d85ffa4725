// CsvFileRows: the rows of a host CSV file, read from the file when they are
// asked for, as a database host reads its table, instead of held in memory.
//
// Opening scans the file once (memhost/csv_scanner.h): the header and every
// row are checked then, with the same messages as loading the text into
// memory, and where each row starts is noted (memhost/row_offsets.h: 4 bytes
// a row), with the file's block checksums (memhost/checked_file.h). The row
// count is known from then on. A row's cells are split when it is first
// asked for and each value is converted when it is read: as a Variant kept
// for the row, or straight into the host's variant for IField's Value.
// Buffers are reused from row to row; reading rows in order reads the file
// ahead in large pieces.
//
// The file is read through the platform's file system and stays open until
// the rows go away. Bytes that changed since the scan are refused (Error
// "The file %s changed while it was read"), never mixed with the old ones.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/abi_variant.h"
#include "core/variant.h"
#include "memhost/checked_file.h"
#include "memhost/column.h"
#include "memhost/csv_record.h"
#include "memhost/row_offsets.h"

namespace pharmex::memhost {

class CsvFileRows {
 public:
  // Scans the file at `path` (UTF-8). Throws Error("Cannot open %s"),
  // Error("Cannot read %s") or the scanner's message for a malformed file.
  static std::unique_ptr<CsvFileRows> open(const std::string& path);

  const std::vector<Column>& columns() const { return columns_; }
  size_t size() const { return offsets_.size(); }

  // A value of a row (which must exist), converted when first read; the
  // reference holds until a value of another row is read.
  const Variant& value(size_t row, size_t column) const;
  // The same in the host's form, for IField's Value, written into `out`,
  // which holds nothing to free (an empty or null variant) and is left so
  // on a throw: a text goes from the file's UTF-8 straight into the host
  // string, a number from the file's text straight into the variant.
  void abi_value(size_t row, size_t column, PxVariant& out) const;

 private:
  explicit CsvFileRows(std::unique_ptr<CheckedFile> file);
  void load(size_t row) const;
  [[noreturn]] void changed() const;

  std::unique_ptr<CheckedFile> file_;
  std::vector<Column> columns_;
  std::vector<Variant::Kind> kinds_;  // of each column
  RowOffsets offsets_;
  uint64_t end_ = 0;  // where the last row ends

  // The row read last, split into its cells, and its values read so far.
  static constexpr size_t kNoRow = static_cast<size_t>(-1);
  mutable size_t row_ = kNoRow;
  mutable size_t previous_row_ = kNoRow;
  mutable CsvRecord record_;
  mutable std::vector<Variant> values_;
  mutable std::vector<uint8_t> read_;
  mutable std::string scratch_;
  mutable std::u16string units_;  // a text decoded for the host
};

}  // namespace pharmex::memhost
