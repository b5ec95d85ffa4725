#include "dbf/field_name_index.h"

#include "platform/text_codec.h"

namespace pharmex::dbf {

namespace {

constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

}  // namespace

TFieldNameIndex::TFieldNameIndex() : page_(&platform::text_codec().ansi()) {
  Reset(0);
}

void TFieldNameIndex::Reset(size_t count) {
  page_ = &platform::text_codec().ansi();
  size_t size = 8;
  while (size < 2 * count)
    size *= 2;
  slots_.assign(size, Slot{});
  names_.clear();
  values_.clear();
  names_.reserve(count);
  values_.reserve(count);
}

uint64_t TFieldNameIndex::Hash(std::string_view name) const {
  uint64_t hash = kFnvOffset;
  for (char c : name) {
    hash ^= page_->to_upper(static_cast<unsigned char>(c));
    hash *= kFnvPrime;
  }
  return hash;
}

bool TFieldNameIndex::SameName(std::string_view upper, std::string_view name) const {
  if (upper.size() != name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (static_cast<unsigned char>(upper[i]) !=
        page_->to_upper(static_cast<unsigned char>(name[i])))
      return false;
  }
  return true;
}

size_t TFieldNameIndex::Probe(std::string_view name, uint64_t hash) const {
  const size_t mask = slots_.size() - 1;
  for (size_t i = static_cast<size_t>(hash) & mask;; i = (i + 1) & mask) {
    const Slot& slot = slots_[i];
    if (slot.entry < 0) return i;
    if (slot.hash == hash && SameName(names_[static_cast<size_t>(slot.entry)], name)) return i;
  }
}

bool TFieldNameIndex::Add(std::string_view name, int value) {
  if (2 * (names_.size() + 1) > slots_.size()) {
    // More names than announced: rebuild with room to spare.
    std::vector<std::string> names = std::move(names_);
    std::vector<int> values = std::move(values_);
    Reset(2 * names.size() + 2);
    for (size_t i = 0; i < names.size(); ++i)
      Add(names[i], values[i]);
  }
  const uint64_t hash = Hash(name);
  const size_t at = Probe(name, hash);
  if (slots_[at].entry >= 0) return false;
  std::string upper(name);
  for (char& c : upper)
    c = static_cast<char>(page_->to_upper(static_cast<unsigned char>(c)));
  slots_[at] = {hash, static_cast<int>(names_.size())};
  names_.push_back(std::move(upper));
  values_.push_back(value);
  return true;
}

int TFieldNameIndex::Find(std::string_view name) const {
  const Slot& slot = slots_[Probe(name, Hash(name))];
  return slot.entry < 0 ? -1 : values_[static_cast<size_t>(slot.entry)];
}

}  // namespace pharmex::dbf
