#include "dbf/dbf_blob_stream.h"

#include <algorithm>

#include "core/error.h"
#include "dbf/dbf_dataset.h"
#include "dbf/dbf_field.h"

namespace pharmex::dbf {

namespace {

// Memo text is translated between the code pages, blob bytes never are.
bool Translated(const TDbfField& field) {
  return field.DataType() == TFieldType::ftMemo && field.Transliterate() &&
         field.DataSet().TranslateASCII();
}

}  // namespace

TDbfBlobStream::TDbfBlobStream(TDbfField& field, TBlobStreamMode mode) : field_(field) {
  if (mode == TBlobStreamMode::bmRead) {
    buffer_ = Contents(field);
    return;
  }
  field.CheckWritable();
  // Opening for writing empties the field's contents: released as it is,
  // the stream stores an empty memo.
  changed_ = true;
}

std::string TDbfBlobStream::Contents(const TDbfField& field) {
  const int64_t block = field.MemoBlock();
  if (block == 0) return {};
  TDbfFieldLayer& table = *field.DataSet().DBFObject();
  std::string contents = table.Memo().ReadMemo(block);
  if (Translated(field)) table.OemToAnsi(contents);
  return contents;
}

size_t TDbfBlobStream::Read(std::span<char> buffer) {
  if (position_ >= Size()) return 0;
  const auto available = static_cast<size_t>(Size() - position_);
  const size_t count = std::min(buffer.size(), available);
  std::copy_n(buffer_.begin() + position_, count, buffer.begin());
  position_ += static_cast<int64_t>(count);
  return count;
}

void TDbfBlobStream::Write(std::string_view data) {
  buffer_.resize(static_cast<size_t>(position_));  // zero bytes fill a gap
  buffer_.append(data);
  position_ += static_cast<int64_t>(data.size());
  changed_ = true;
}

int64_t TDbfBlobStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = 0;
  switch (origin) {
    case TSeekOrigin::soBeginning:
      break;
    case TSeekOrigin::soCurrent:
      base = position_;
      break;
    case TSeekOrigin::soEnd:
      base = Size();
      break;
  }
  position_ = std::max<int64_t>(base + offset, 0);
  return position_;
}

void TDbfBlobStream::Release() {
  if (!changed_) return;
  TDbfDataSet& dataset = field_.DataSet();
  if (!dataset.Editing()) {
    changed_ = false;  // the record is no longer being changed: nothing to store into
    return;
  }
  TDbfFieldLayer& table = *dataset.DBFObject();
  std::string bytes = buffer_;
  if (Translated(field_)) table.AnsiToOem(bytes);
  int64_t old_block = 0;
  try {
    old_block = field_.MemoBlock();
  } catch (const DbfError&) {
    // An unreadable block number frees nothing: the new memo goes elsewhere.
  }
  // The memo the file still holds for an edited record stays as it is until
  // the record is posted: the new text goes elsewhere.
  const int64_t stored = dataset.HoldsStoredValue(field_.Index()) ? old_block : 0;
  const int64_t block = table.Memo().WriteMemo(stored ? 0 : old_block, bytes);
  table.PutInteger(field_.Index(), block);
  dataset.FreeOnPost(field_.Index(), stored);
  dataset.MarkModified();
  changed_ = false;
}

}  // namespace pharmex::dbf
