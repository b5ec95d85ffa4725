// TDbfField: one visible field of an open TDbfDataSet, of one of the dataset
// kinds (TFieldType), reading and assigning the field of the current record
// as a Variant.
//
// Assignment converts the value to the field's kind and stores it in the
// record buffer (a memo field writes its memo file at once and stores the
// block number):
//   ftString    the value's text (the dataset's regional settings), cut to the
//               field size, translated to OEM when Transliterate is on
//   ftSmallint, ftInteger
//               the value rounded to a whole number (halves to even), which
//               must lie in the kind's range ("%g is not a valid value for
//               field '%s'. The allowed range is %g to %g")
//   ftLargeint  the value rounded to a 64-bit whole number
//   ftFloat     the value as a number (text read with the settings' separator)
//   ftDate, ftDateTime
//               the value as a date-time; ftDate keeps the day
//   ftBoolean   the value as true / false
//   ftMemo, ftBlob
//               the value's text through a TDbfBlobStream (memo text is
//               translated to OEM, blob bytes are not)
//   ftCurrency  nothing: assignments are ignored
// A null Variant stores blanks (text, date), 0 (numbers), "F" (logical) or an
// empty memo (block 0). A value that cannot be converted fails with "Invalid
// value for field '%s'". A failed assignment leaves the field as it was.
//
// Reading gives null for a blank text, a date that is blank or not a calendar
// date, a date-time of 0 and a memo at block 0; numbers and logicals are
// never null.
//
// Assignments need the dataset in insert or edit state ("Dataset not in edit
// or insert mode") and a field that is not read-only ("Field '%s' cannot be
// modified").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/variant.h"
#include "dbf/dbf_field_def.h"

namespace pharmex::dbf {

class TDbfDataSet;
class TDbfFieldLayer;

class TDbfField {
 public:
  // `index` is the field's place among the table's descriptors (0-based).
  TDbfField(TDbfDataSet& dataset, int index, TFieldType type);
  TDbfField(const TDbfField&) = delete;
  TDbfField& operator=(const TDbfField&) = delete;

  TDbfDataSet& DataSet() const { return dataset_; }
  // As in the descriptor.
  const std::string& FieldName() const;
  TFieldType DataType() const { return type_; }
  // The descriptor's number, 1-based.
  int FieldNo() const { return index_ + 1; }
  int Index() const { return index_; }
  // The character count of an ftString field; 0 for the other kinds.
  uint32_t Size() const;

  // ANSI <-> OEM translation of ftString and ftMemo fields (default on; it
  // also needs the dataset's TranslateASCII). Other kinds are never translated.
  bool Transliterate() const { return transliterate_ && type_ != TFieldType::ftBlob; }
  void SetTransliterate(bool on) { transliterate_ = on; }
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool on) { read_only_ = on; }

  Variant Value() const;
  void SetValue(const Variant& value);
  bool IsNull() const;
  // The null assignment: SetValue of a null variant, without making one.
  void Clear();
  // SetValue of a string, a whole number (SmallInt, Integer or Int64), a
  // Double and a Date variant holding the value, without making the variant
  // where the field's kind takes it as it is (a string into ftString, ftMemo
  // and ftBlob, a whole number into ftString and the number kinds, a number
  // into ftFloat, ftDate and ftDateTime): what a host hands over most,
  // copied straight into the record.
  void SetText(std::u16string_view text);
  void SetInteger(int64_t number);
  void SetReal(double number) { SetNumber(number, false); }
  void SetDate(double date) { SetNumber(date, true); }
  // SetValue of a Boolean variant; an ftBoolean field takes it as it is.
  void SetBoolean(bool value);

  // "Dataset not in edit or insert mode", "Field '%s' cannot be modified".
  // Every assignment asks first: defined inline in dbf/dbf_dataset.h, where
  // the dataset's state is known.
  inline void CheckWritable() const;
  // The block number of the memo (0: none).
  int64_t MemoBlock() const;

 private:
  TDbfFieldLayer& Table() const;
  void Assign(const Variant& value);
  void SetNumber(double number, bool date);
  // The kinds that convert a text or a number as SetValue does (and memos):
  // out of line, called from the character and numeric fields' short paths.
  [[gnu::noinline]] void SetOtherText(std::u16string_view text);
  [[gnu::noinline]] void SetOtherNumber(double number, bool date);
  void AssignNull();
  void AssignWhole(const Variant& value, int64_t min, int64_t max);
  void PutWhole(int64_t whole, int64_t min, int64_t max);
  [[noreturn]] void RaiseOutOfRange(double shown, int64_t min, int64_t max) const;
  void AssignBlob(std::string_view bytes);
  // The value's text in the ANSI code page, into `ansi` (contents replaced).
  static void TextOf(const Variant& value, const RegionalSettings& settings, std::string& ansi);
  [[noreturn]] void RaiseInvalid() const;
  [[noreturn]] void RaiseReadOnly() const;

  TDbfDataSet& dataset_;
  int index_;
  TFieldType type_;
  bool transliterate_ = true;
  bool read_only_ = false;
  // The ANSI text of the value being assigned or read, kept from one value to
  // the next so that text allocates nothing here once the buffer has grown.
  mutable std::string ansi_;
  // The text SetText converts for the kinds that do not take it as it is.
  Variant text_value_;
};

}  // namespace pharmex::dbf
