// TDbfBlobStream: the contents of one memo (M) or binary (B, G) field of the
// current record, held in memory for one read or one assignment.
//
// Read mode loads the whole memo through the record's block number and, for
// an M field with Transliterate on (and the dataset's TranslateASCII),
// translates it from OEM to ANSI. Write mode starts from an empty buffer and
// needs the dataset in insert or edit state ("Dataset not in edit or insert
// mode") and a writable field ("Field '%s' cannot be modified").
//
// Release() stores a changed stream while the dataset is still inserting or
// editing: the text is translated to OEM (M fields; up to its first zero
// byte), written to the memo file over the field's old memo, and the new
// block number (0 for an empty text) is put into the field. The memo file is
// thus written when the field is assigned, before the record is posted. A
// failed store leaves the field's block number as it was. The memo that the
// file still holds for an edited record is the exception: the new text goes
// elsewhere and the old memo is freed only when the edit is posted, so that
// a cancelled edit keeps its memo.
//
// The destructor does not store: a write failure there could not be
// reported. Call Release() to keep what was written.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace pharmex::dbf {

class TDbfField;

enum class TBlobStreamMode { bmRead, bmWrite };
enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TDbfBlobStream {
 public:
  TDbfBlobStream(TDbfField& field, TBlobStreamMode mode);
  TDbfBlobStream(const TDbfBlobStream&) = delete;
  TDbfBlobStream& operator=(const TDbfBlobStream&) = delete;

  // Up to buffer.size() bytes from the position on; advances the position.
  size_t Read(std::span<char> buffer);
  // Replaces everything from the position on with `data` (the size becomes
  // position + data.size()) and advances the position. A position beyond the
  // end is filled up with zero bytes first.
  void Write(std::string_view data);
  // Moves the position; a position before the start becomes 0. Returns it.
  int64_t Seek(int64_t offset, TSeekOrigin origin);
  int64_t Position() const { return position_; }
  int64_t Size() const { return static_cast<int64_t>(buffer_.size()); }
  // The whole contents.
  std::string_view Data() const { return buffer_; }
  bool Changed() const { return changed_; }

  // Stores a changed stream (see above). Does nothing when unchanged.
  void Release();

  // The field's contents as read mode loads them ("" when it has no memo).
  static std::string Contents(const TDbfField& field);

 private:
  TDbfField& field_;
  std::string buffer_;
  int64_t position_ = 0;
  bool changed_ = false;
};

}  // namespace pharmex::dbf
