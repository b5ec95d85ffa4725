// TDbfFieldLayer: values in and out of the fields of the current record.
//
// Inside a record every field is fixed-width 8-bit text: character data in the
// OEM code page, numbers as fixed-point text with "." whatever the locale,
// dates as "yyyymmdd", logicals as one letter. (Tables of version 0x30 keep
// their B, G, I, M, T and Y fields as little-endian binary numbers instead.)
// This layer owns those conversions; the dataset decides which one a field
// kind uses and what a null value stores.
//
// Hot path: exports write hundreds of thousands of records, so the writers
// take string_views and write straight into the record buffer, and the text
// readers fill a caller's string that can be reused from record to record.
//
// Fields are addressed by index 0 ... FieldCount() - 1.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dbf/dbf_table.h"
#include "dbf/field_text_memo.h"
#include "platform/text_codec.h"

namespace pharmex::dbf {

class TDbfFieldLayer : public TDbfTable {
 public:
  using TDbfTable::TDbfTable;

  // ANSI <-> OEM translation of character and memo data (on by default).
  // "OEM" is the table's own code page when its header declares one
  // (TextCodePage, e.g. 1251), else the process's OEM page.
  bool TranslateASCII() const { return translate_ascii_; }
  void SetTranslateASCII(bool on) { translate_ascii_ = on; }

  // Fills the field with blanks and copies the text in, cut to the field's
  // width: left-justified for C, D and L fields, right-justified for every
  // other type. Marks the field and the record changed.
  void PutFieldText(int field, std::string_view text);
  // The field's bytes, exactly its width.
  std::string_view GetFieldText(int field) const;

  // Character data: the ANSI text cut to the field's width, translated to OEM
  // when TranslateASCII and `transliterate` are on, stored left-justified.
  void PutString(int field, std::string_view ansi, bool transliterate);
  // The same for a UTF-16 text, encoded in the ANSI code page (characters
  // it lacks substituted, as TextCodec does) straight into the field: the
  // bytes are those of PutString with the text's ANSI form.
  void PutStringUtf16(int field, std::u16string_view text, bool transliterate);
  // The field's text without trailing blanks (or other trailing characters
  // below 32), translated to ANSI when TranslateASCII and `transliterate` are
  // on. Fills `ansi` (reused by callers that read many records).
  void GetString(int field, bool transliterate, std::string& ansi) const;
  // The same text in UTF-16 (each ANSI byte as its character), filling
  // `text`; for readers that hand text on as UTF-16.
  void GetStringUtf16(int field, bool transliterate, std::u16string& text) const;

  // Numbers. Text fields (N, F, and the block numbers of M, B, G) get the
  // value as fixed-point text with exactly the field's decimals (none for
  // M, B, G), taken to 18 significant digits and then rounded at the last
  // decimal, halves away from zero, right-justified; a negative value keeps
  // its "-" even when it shows zero. Fails with "numeric value too big in
  // field %s" ("NAME - text") when the text is wider than the field, and with
  // "Field %s is the incorrect type" for a field that takes no numbers.
  void PutNumber(int field, double value);
  // The same for a whole number, exactly (no detour through a double): up to
  // 18 digits are kept as they are, a 19th is rounded away.
  void PutInteger(int field, int64_t value);
  // A blank field reads 0; text that is not a number fails with "Invalid
  // numeric value in field %s" ("TABLE->NAME (text)").
  double GetNumber(int field) const;
  // A whole number: exact for whole-number text, otherwise the number rounded
  // to the nearest whole, halves to even.
  int64_t GetInteger(int field) const;

  // L fields only ("Invalid Logical value for field %s" for others): "T" or
  // "F" on writing; true on reading exactly for T, t, Y, y, J, j.
  void PutLogical(int field, bool value);
  bool GetLogical(int field) const;

  // D fields: a date-time (days since 1899-12-30) as "yyyymmdd"; the time of
  // day is dropped, a date that cannot be rendered stores eight blanks.
  void PutDate(int field, double date);
  // Nothing for blanks, "00000000", or text that is not a calendar date.
  std::optional<double> GetDate(int field) const;
  // Every byte of the field blank (a null date, an empty text).
  void ClearField(int field) { PutFieldText(field, {}); }

  // A new record: all blanks, 0 in every N and F field (and, in a 0x30 table,
  // in the binary B, G, I, M, T, Y fields), every field marked changed. Fails
  // with "numeric value too big in field %s" for a numeric field too narrow
  // for its own 0 (N(3,2) needs "0.00").
  void BlankRecord();
  // PutInteger(field, 0), the null of a number: the bytes are copied from
  // the blank record where it holds that zero (a table's null numbers are
  // many, and all alike).
  void PutZero(int field);

  // True for a field of a 0x30 table that holds a little-endian binary number
  // (its bytes are not text).
  bool BinaryNumber(int field) const { return FormOf(Field(field)) == NumberForm::kBinary; }

  // Byte-for-byte code-page translation in place, up to the first zero byte,
  // between ANSI and the table's text code page.
  void AnsiToOem(std::span<char> text) const;
  void OemToAnsi(std::span<char> text) const;
  // The pair those translations use: the process's ANSI/OEM pair, or ANSI
  // and the table's declared page. Asked for once per text value: the usual
  // case, a table without a declared page, is decided here, inline even
  // where the compiler would call it (its share of a short text is large).
  [[gnu::always_inline]] const platform::TextCodec& Codec() const {
    return TextCodePage() == 0 ? platform::text_codec() : DeclaredPageCodec();
  }

 private:
  enum class NumberForm : uint8_t { kNone, kText, kBinary };
  // Asked for on every number written or read: one look-up by type letter.
  NumberForm FormOf(const TDbfFieldDef& field) const {
    const auto type = static_cast<unsigned char>(field.type);
    const FormOfType& form = kFormOfType[type];
    if (form.binary_width != 0 && form.binary_width == field.length && IsVisualFox())
      return NumberForm::kBinary;
    return form.text;
  }
  // By type letter: the form of a field that is not a 0x30 binary one, and
  // the width at which a 0x30 table keeps the type as a binary number (0:
  // never).
  struct FormOfType {
    NumberForm text = NumberForm::kNone;
    uint8_t binary_width = 0;
  };
  static const std::array<FormOfType, 256> kFormOfType;
  const platform::TextCodec& DeclaredPageCodec() const;
  // The field is one BlankRecord writes a 0 into.
  bool BlankHoldsZero(const TDbfFieldDef& def) const;
  std::span<char> FieldBytes(int field);
  // Copies text into the field with its justification; returns the bytes written.
  std::span<char> Place(int field, std::string_view text);
  // Blanks before the `size` bytes of a number just written at the field's
  // end (right-aligned, as every numeric field's text).
  void PlaceNumber(int field, size_t size);
  void PutBinary(int field, double value);
  // The date's text, or blanks, whatever the memo holds.
  void WriteDate(int field, double date);
  // The memo of the fields' last values (dbf/field_text_memo.h): copies the
  // bytes of a repeated value back into the field's `bytes` and marks it
  // changed. Every Put that asks it remembers what it wrote.
  bool Recall(int field, std::span<char> bytes, FieldTextMemo::Kind kind, uint64_t key) {
    if (memo_opening_ != Openings()) ResetMemo();
    const char* kept = memo_.Recall(field, kind, key, bytes.size());
    if (kept == nullptr) return false;
    CopyFieldBytes(bytes.data(), kept, bytes.size());
    MarkFieldChanged(field);
    return true;
  }
  void ResetMemo();
  double GetBinary(const TDbfFieldDef& field) const;
  [[noreturn]] void RaiseTooBig(const TDbfFieldDef& field, std::string_view text) const;
  [[noreturn]] void RaiseWrongType(const TDbfFieldDef& field) const;
  [[noreturn]] void RaiseInvalidNumber(const TDbfFieldDef& field, std::string_view text) const;
  std::string_view NumberText(int field) const;

  bool translate_ascii_ = true;
  // The pair for a table whose header declares its code page, built on first use.
  mutable std::optional<platform::TextCodec> table_codec_;
  // The new record of the table as BlankRecord first made it, and the
  // opening it belongs to.
  std::vector<char> blank_record_;
  uint64_t blank_opening_ = 0;
  FieldTextMemo memo_;
  uint64_t memo_opening_ = 0;  // the opening memo_ holds the values of
};

}  // namespace pharmex::dbf
