#include "dbf/dbf_field_def.h"

namespace pharmex::dbf {

namespace {

TFieldType WholeNumberType(uint32_t length, TIntFields large) {
  if (length <= 4) return TFieldType::ftSmallint;
  if (length <= 9) return TFieldType::ftInteger;
  switch (large) {
    case TIntFields::asInteger:
      return TFieldType::ftInteger;
    case TIntFields::asLargeInt:
      return TFieldType::ftLargeint;
    case TIntFields::asFloat:
      break;
  }
  return TFieldType::ftFloat;
}

}  // namespace

TFieldType DatasetFieldType(const TDbfFieldDef& field, TIntFields large) {
  switch (field.type) {
    case 'C':
      return TFieldType::ftString;
    case 'N':
    case 'F':
      return field.decimals > 0 ? TFieldType::ftFloat : WholeNumberType(field.length, large);
    case 'D':
      return TFieldType::ftDate;
    case 'L':
      return TFieldType::ftBoolean;
    case 'M':
      return TFieldType::ftMemo;
    case 'B':
    case 'G':
      return TFieldType::ftBlob;
    case 'I':
      return TFieldType::ftInteger;
    case 'T':
      return TFieldType::ftDateTime;
    case 'Y':
      return TFieldType::ftCurrency;
    default:
      return TFieldType::ftUnknown;
  }
}

}  // namespace pharmex::dbf
