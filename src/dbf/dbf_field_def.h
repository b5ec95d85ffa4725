// One field of a table as the engine knows it after opening, and the kind of
// value the dataset layer shows for it.
#pragma once

#include <cstdint>
#include <string>

namespace pharmex::dbf {

struct TDbfFieldDef {
  std::string name;       // descriptor bytes up to the first zero (at most 11)
  char type = 'C';        // type letter, upper case
  uint32_t length = 0;    // width in the record; a C field counts byte 17 * 256 + byte 16
  uint32_t decimals = 0;  // byte 17 for every type but C (0 there)
  uint32_t offset = 0;    // first byte in the record (byte 0 is the deletion flag)
  int number = 0;         // 1 ... field count, in descriptor order
};

// Field kinds of the dataset layer, spelled as the dataset names them.
enum class TFieldType {
  ftUnknown,  // a letter the dataset does not show (O, ...)
  ftString,
  ftSmallint,
  ftInteger,
  ftLargeint,
  ftFloat,
  ftCurrency,
  ftBoolean,
  ftDate,
  ftDateTime,
  ftMemo,
  ftBlob,
};

// What N and F fields without decimals and 10 or more characters become.
enum class TIntFields { asInteger, asLargeInt, asFloat };

// The dataset kind of a field:
//   C                         ftString
//   N, F with decimals        ftFloat
//   N, F, no decimals, >= 10  by `large`: ftInteger, ftLargeint or ftFloat
//   N, F, no decimals, 5-9    ftInteger
//   N, F, no decimals, <= 4   ftSmallint
//   D ftDate, L ftBoolean, M ftMemo, B and G ftBlob, I ftInteger,
//   T ftDateTime, Y ftCurrency; any other letter ftUnknown.
TFieldType DatasetFieldType(const TDbfFieldDef& field, TIntFields large);

}  // namespace pharmex::dbf
