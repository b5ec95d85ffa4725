#include "platform/code_page.h"

#include <map>
#include <mutex>

#include "platform/code_page_tables.h"
#include "platform/system_code_page.h"

namespace pharmex::platform {

CodePage::CodePage(int number, const char16_t* upper_half, const unsigned char* to_upper)
    : number_(number),
      from_unicode_(std::make_unique<std::array<int16_t, 65536>>()),
      to_upper_(to_upper) {
  auto& reverse = *from_unicode_;
  reverse.fill(-1);
  for (int byte = 0; byte < 256; ++byte) {
    char16_t unit = byte < 0x80 ? static_cast<char16_t>(byte) : upper_half[byte - 0x80];
    to_unicode_[static_cast<size_t>(byte)] = unit;
    // The first byte wins should a page list a character twice.
    if (reverse[unit] < 0) reverse[unit] = static_cast<int16_t>(byte);
  }
}

const CodePage* CodePage::find(int number) {
  static std::mutex mutex;
  static std::map<int, std::unique_ptr<CodePage>> pages;
  // Tables the system gave; a page keeps pointing into its table.
  static std::map<int, std::unique_ptr<SystemCodePageTable>> system_tables;
  std::lock_guard<std::mutex> lock(mutex);
  auto it = pages.find(number);
  if (it != pages.end()) return it->second.get();
  for (size_t i = 0; i < kCodePageTableCount; ++i) {
    const CodePageTable& table = kCodePageTables[i];
    if (table.number == number) {
      auto page = std::unique_ptr<CodePage>(new CodePage(number, table.upper_half, table.to_upper));
      return pages.emplace(number, std::move(page)).first->second.get();
    }
  }
  std::optional<SystemCodePageTable> system = system_code_page_table(number);
  if (!system) return nullptr;
  const SystemCodePageTable& table =
      *system_tables.emplace(number, std::make_unique<SystemCodePageTable>(*system)).first->second;
  auto page = std::unique_ptr<CodePage>(
      new CodePage(number, table.upper_half.data(), table.to_upper.data()));
  return pages.emplace(number, std::move(page)).first->second.get();
}

}  // namespace pharmex::platform
