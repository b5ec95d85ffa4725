// TFieldNameIndex: finds a field by its name without regard to case, in
// constant time and without allocating. Exports look fields up by name for
// every row they write, so a lookup hashes the name as it upper-cases it byte
// by byte (the ANSI code page's rules, Cyrillic included) and compares with
// names upper-cased once when the index was built.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_page.h"

namespace pharmex::dbf {

class TFieldNameIndex {
 public:
  TFieldNameIndex();

  // Empties the index and makes room for `count` names.
  void Reset(size_t count);
  // Adds a name with its value (>= 0). False, and nothing added, when a name
  // equal to it without regard to case is there already.
  bool Add(std::string_view name, int value);
  // The value of the name, or -1.
  int Find(std::string_view name) const;

 private:
  struct Slot {
    uint64_t hash = 0;
    int entry = -1;  // into names_ and values_; -1: empty
  };

  uint64_t Hash(std::string_view name) const;
  bool SameName(std::string_view upper, std::string_view name) const;
  // The slot holding the name, or the empty slot where it would go.
  size_t Probe(std::string_view name, uint64_t hash) const;

  const platform::CodePage* page_;
  std::vector<Slot> slots_;  // a power of two, at most half full
  std::vector<std::string> names_;
  std::vector<int> values_;
};

}  // namespace pharmex::dbf
