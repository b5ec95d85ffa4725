#include "dbf/dbf_field.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/error.h"
#include "core/number_format.h"
#include "dbf/dbf_blob_stream.h"
#include "dbf/dbf_dataset.h"
#include "platform/text_codec.h"

namespace pharmex::dbf {

namespace {

constexpr int64_t kSmallintMin = std::numeric_limits<int16_t>::min();
constexpr int64_t kSmallintMax = std::numeric_limits<int16_t>::max();
constexpr int64_t kIntegerMin = std::numeric_limits<int32_t>::min();
constexpr int64_t kIntegerMax = std::numeric_limits<int32_t>::max();

Variant AnsiText(std::string_view ansi) {
  return Variant::string(platform::text_codec().ansi_to_utf16(ansi));
}

// A whole number read from a field, in the narrowest kind that holds it.
Variant WholeValue(int64_t value, TFieldType type) {
  if (type == TFieldType::ftSmallint && value >= kSmallintMin && value <= kSmallintMax)
    return Variant::small_int(static_cast<int16_t>(value));
  if (type != TFieldType::ftLargeint && value >= kIntegerMin && value <= kIntegerMax)
    return Variant::integer(static_cast<int32_t>(value));
  return Variant::int64(value);
}

}  // namespace

TDbfField::TDbfField(TDbfDataSet& dataset, int index, TFieldType type)
    : dataset_(dataset), index_(index), type_(type) {}

TDbfFieldLayer& TDbfField::Table() const {
  return *dataset_.DBFObject();
}

const std::string& TDbfField::FieldName() const {
  return Table().Field(index_).name;
}

uint32_t TDbfField::Size() const {
  return type_ == TFieldType::ftString ? Table().Field(index_).length : 0;
}

int64_t TDbfField::MemoBlock() const {
  return Table().GetInteger(index_);
}

Variant TDbfField::Value() const {
  TDbfFieldLayer& table = Table();
  switch (type_) {
    case TFieldType::ftString: {
      std::u16string text;
      table.GetStringUtf16(index_, transliterate_, text);
      return text.empty() ? Variant::null() : Variant::string(std::move(text));
    }
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftLargeint:
      return WholeValue(table.GetInteger(index_), type_);
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
      return Variant::real(table.GetNumber(index_));
    case TFieldType::ftDateTime: {
      const double stamp = table.GetNumber(index_);
      return stamp == 0 ? Variant::null() : Variant::date(stamp);
    }
    case TFieldType::ftBoolean:
      return Variant::boolean(table.GetLogical(index_));
    case TFieldType::ftDate: {
      std::optional<double> day = table.GetDate(index_);
      return day ? Variant::date(*day) : Variant::null();
    }
    case TFieldType::ftMemo:
    case TFieldType::ftBlob: {
      if (MemoBlock() == 0) return Variant::null();
      return AnsiText(TDbfBlobStream::Contents(*this));
    }
    case TFieldType::ftUnknown:
      break;
  }
  return Variant::null();
}

bool TDbfField::IsNull() const {
  TDbfFieldLayer& table = Table();
  switch (type_) {
    case TFieldType::ftString:
      table.GetString(index_, false, ansi_);
      return ansi_.empty();
    case TFieldType::ftDate:
      return !table.GetDate(index_);
    case TFieldType::ftDateTime:
      return table.GetNumber(index_) == 0;
    case TFieldType::ftMemo:
    case TFieldType::ftBlob:
      return MemoBlock() == 0;
    default:
      return false;
  }
}

[[noreturn]] void TDbfField::RaiseReadOnly() const {
  raise<DatabaseError>("Field '%s' cannot be modified", {FieldName()});
}

[[noreturn]] void TDbfField::RaiseInvalid() const {
  raise<DatabaseError>("Invalid value for field '%s'", {FieldName()});
}

void TDbfField::SetValue(const Variant& value) {
  if (value.is_null()) return Clear();
  CheckWritable();
  if (type_ == TFieldType::ftCurrency) return;  // the dataset layer does not store these
  Assign(value);
  dataset_.MarkModified();
}

void TDbfField::Clear() {
  CheckWritable();
  if (type_ == TFieldType::ftCurrency) return;
  AssignNull();
  dataset_.MarkModified();
}

void TDbfField::SetText(std::u16string_view text) {
  // A character field's text goes straight into the record; the rest apart,
  // so that this path keeps no registers of its own.
  if (type_ != TFieldType::ftString) return SetOtherText(text);
  CheckWritable();
  Table().PutStringUtf16(index_, text, transliterate_);
  dataset_.MarkModified();
}

void TDbfField::SetOtherText(std::u16string_view text) {
  if (type_ == TFieldType::ftMemo || type_ == TFieldType::ftBlob) {
    CheckWritable();
    ansi_.clear();
    platform::text_codec().append_utf16_as_ansi(ansi_, text);
    AssignBlob(ansi_);
    dataset_.MarkModified();
    return;
  }
  // Converted as SetValue converts a string, through a variant kept from one
  // value to the next, so that a text allocates nothing once it has grown.
  text_value_.assign_string(text);
  SetValue(text_value_);
}

void TDbfField::SetInteger(int64_t number) {
  switch (type_) {
    case TFieldType::ftString: {
      // A whole number's text is its plain decimal digits, ASCII: the same
      // bytes in every code page, so there is nothing to translate.
      CheckWritable();
      char digits[24];
      const char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
      Table().PutString(index_, std::string_view(digits, static_cast<size_t>(end - digits)), false);
      break;
    }
    case TFieldType::ftSmallint:
      CheckWritable();
      PutWhole(number, kSmallintMin, kSmallintMax);
      break;
    case TFieldType::ftInteger:
      CheckWritable();
      PutWhole(number, kIntegerMin, kIntegerMax);
      break;
    case TFieldType::ftLargeint:
      CheckWritable();
      Table().PutInteger(index_, number);
      break;
    case TFieldType::ftFloat:
    case TFieldType::ftDateTime:
    case TFieldType::ftDate:
      return SetNumber(static_cast<double>(number), false);
    default:
      return SetValue(Variant::int64(number));
  }
  dataset_.MarkModified();
}

void TDbfField::SetBoolean(bool value) {
  if (type_ != TFieldType::ftBoolean) return SetValue(Variant::boolean(value));
  CheckWritable();
  Table().PutLogical(index_, value);
  dataset_.MarkModified();
}

void TDbfField::SetNumber(double number, bool date) {
  switch (type_) {
    case TFieldType::ftFloat:
    case TFieldType::ftDateTime:
      CheckWritable();
      Table().PutNumber(index_, number);
      break;
    case TFieldType::ftDate:
      CheckWritable();
      Table().PutDate(index_, number);
      break;
    default:
      return SetOtherNumber(number, date);
  }
  dataset_.MarkModified();
}

void TDbfField::SetOtherNumber(double number, bool date) {
  SetValue(date ? Variant::date(number) : Variant::real(number));
}

void TDbfField::AssignNull() {
  TDbfFieldLayer& table = Table();
  switch (type_) {
    case TFieldType::ftString:
    case TFieldType::ftDate:
      table.ClearField(index_);
      break;
    case TFieldType::ftBoolean:
      table.PutLogical(index_, false);
      break;
    case TFieldType::ftMemo:
    case TFieldType::ftBlob:
      AssignBlob({});
      break;
    default:  // the numbers and ftDateTime
      table.PutZero(index_);
      break;
  }
}

void TDbfField::Assign(const Variant& value) {
  TDbfFieldLayer& table = Table();
  const RegionalSettings& settings = dataset_.Settings();
  try {
    switch (type_) {
      case TFieldType::ftString:
        // Cut to the field, then translated; a string is encoded where it lies.
        if (value.is_string())
          return table.PutStringUtf16(index_, value.string_value(), transliterate_);
        TextOf(value, settings, ansi_);
        table.PutString(index_, ansi_, transliterate_);
        return;
      case TFieldType::ftSmallint:
        return AssignWhole(value, kSmallintMin, kSmallintMax);
      case TFieldType::ftInteger:
        return AssignWhole(value, kIntegerMin, kIntegerMax);
      case TFieldType::ftLargeint:
        return table.PutInteger(index_, value.to_int64(settings));
      case TFieldType::ftFloat:
        return table.PutNumber(index_, value.to_double(settings));
      case TFieldType::ftDateTime:
        return table.PutNumber(index_, value.to_date(settings));
      case TFieldType::ftDate:
        return table.PutDate(index_, value.to_date(settings));
      case TFieldType::ftBoolean:
        return table.PutLogical(index_, value.to_bool(settings));
      case TFieldType::ftMemo:
      case TFieldType::ftBlob:
        TextOf(value, settings, ansi_);
        return AssignBlob(ansi_);
      case TFieldType::ftCurrency:
      case TFieldType::ftUnknown:
        return;
    }
  } catch (const VariantError&) {
    RaiseInvalid();
  }
}

void TDbfField::TextOf(const Variant& value, const RegionalSettings& settings, std::string& ansi) {
  ansi.clear();
  // A string is encoded where it lies; anything else is rendered first.
  if (value.is_string()) {
    platform::text_codec().append_utf16_as_ansi(ansi, value.string_value());
  } else {
    platform::text_codec().append_utf16_as_ansi(ansi, value.to_text(settings));
  }
}

void TDbfField::AssignWhole(const Variant& value, int64_t min, int64_t max) {
  const RegionalSettings& settings = dataset_.Settings();
  int64_t whole = 0;
  try {
    whole = value.to_int64(settings);
  } catch (const VariantError&) {
    // Beyond even 64 bits, or not a number at all.
    const double number = value.to_double(settings);  // throws for what is not a number
    if (std::isnan(number)) throw;
    RaiseOutOfRange(round_half_even(number), min, max);
  }
  PutWhole(whole, min, max);
}

void TDbfField::PutWhole(int64_t whole, int64_t min, int64_t max) {
  if (whole < min || whole > max) RaiseOutOfRange(static_cast<double>(whole), min, max);
  Table().PutInteger(index_, whole);
}

[[noreturn]] void TDbfField::RaiseOutOfRange(double shown, int64_t min, int64_t max) const {
  raise<DatabaseError>("%g is not a valid value for field '%s'. The allowed range is %g to %g",
                       {shown, FieldName(), static_cast<double>(min), static_cast<double>(max)});
}

void TDbfField::AssignBlob(std::string_view bytes) {
  TDbfBlobStream stream(*this, TBlobStreamMode::bmWrite);
  stream.Write(bytes);
  stream.Release();
}

}  // namespace pharmex::dbf
