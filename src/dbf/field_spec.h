// TFieldSpec: one line of the field list a table is created from,
// "NAME;T;LEN;DEC" ("NAME;C;80;0", "QNT;N;14;2", "GDATE;D;0;0").
//
//   NAME  everything before the first ";", as written (upper-cased and cut
//         to 10 characters only when stored)
//   T     exactly one letter, followed directly by ";"
//   LEN   the characters up to the next ";": a decimal integer, blanks
//         allowed before it and nothing after it
//   DEC   the first three characters after that ";", read the same way;
//         anything after them is ignored
// Trailing blanks and ";" are removed before a line is read, so "QNT;N;14;2;"
// is accepted while "QNT;N;14" is not.
//
// What the table stores per type (TDbfBuilder): C keeps LEN as length (its
// high byte in the decimals byte) and ignores DEC; D is 8 wide, L 1, M, B and
// G 10 (a block number), ignoring LEN and DEC; N, F and every other letter
// keep LEN and DEC.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pharmex::dbf {

struct TFieldSpec {
  std::string name;
  char type = 'C';
  int32_t length = 0;
  int32_t decimals = 0;

  // Nothing when the line does not follow the grammar (an empty line
  // included).
  static std::optional<TFieldSpec> Parse(std::string_view line);

  // The name as the descriptor holds it: upper-cased by the ANSI code page's
  // rules and cut to 10 characters.
  std::string StoredName() const;
  char StoredType() const;
  // Bytes the field takes in a record.
  uint32_t RecordBytes() const;
  // The decimal count the field has once stored: DEC for N, F and the other
  // letters, 0 for C (whose decimals byte holds the length's high byte), D,
  // L, M, B and G.
  uint32_t StoredDecimals() const;
  // True for M, B and G fields, which live in the memo file.
  bool IsMemo() const;
};

// Reads a whole field list. Nothing when the list is empty, a line does not
// parse, two names are equal once stored (LONGFIELDNAME1 and LONGFIELDNAME2
// both become LONGFIELDN), a type other than C is longer than 255, a length
// or decimal count is negative or a decimal count that is stored exceeds 255,
// the record would be longer than 65535 bytes, or there are more than 2046
// fields (the 16-bit header length's limit).
std::optional<std::vector<TFieldSpec>> ParseFieldList(const std::vector<std::string>& lines);

}  // namespace pharmex::dbf
