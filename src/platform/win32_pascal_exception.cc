#include "platform/win32_pascal_exception.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pharmex::platform {

namespace {

constexpr DWORD kDelphiException = 0x0EEDFADE;
constexpr DWORD kFreePascalException = 0xE0465043;

constexpr ptrdiff_t kPointer = sizeof(void*);

// Where a runtime keeps a string's code page, unit size and length, as
// offsets from its first character, and the length's size.
struct StringHeader {
  ptrdiff_t code_page;
  ptrdiff_t unit_size;
  ptrdiff_t length;
  size_t length_bytes;
};

constexpr StringHeader kDelphiString = {-12, -10, -4, 4};
constexpr StringHeader kFreePascalString = {-3 * kPointer, -3 * kPointer + 2, -kPointer,
                                            sizeof(void*)};

// The Free Pascal code page of a RawByteString: no conversion, read as ANSI.
constexpr uint16_t kNoCodePage = 0xFFFF;
constexpr uint16_t kUtf16CodePage = 1200;
// Longer texts are no message.
constexpr uint64_t kMaxLength = uint64_t{1} << 20;

bool readable_protection(DWORD protect) {
  if ((protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0) return false;
  return (protect & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                     PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

// Whether every byte of [address, address + size) may be read now.
bool readable(const void* address, size_t size) {
  auto at = reinterpret_cast<uintptr_t>(address);
  const uintptr_t end = at + size;
  if (at == 0 || end < at) return false;
  while (at < end) {
    MEMORY_BASIC_INFORMATION region;
    if (::VirtualQuery(reinterpret_cast<const void*>(at), &region, sizeof region) == 0)
      return false;
    if (region.State != MEM_COMMIT || !readable_protection(region.Protect)) return false;
    at = reinterpret_cast<uintptr_t>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

// A little-endian number of `bytes` bytes at `address`, which is readable.
uint64_t number_at(const unsigned char* address, size_t bytes) {
  uint64_t value = 0;
  std::memcpy(&value, address, bytes);
  return value;
}

// The exception object's message: the address of its first character
// (null for an empty message or an unreadable object).
const unsigned char* message_of(const EXCEPTION_RECORD& exception) {
  if (exception.NumberParameters < 2) return nullptr;
  const auto* object = reinterpret_cast<const unsigned char*>(exception.ExceptionInformation[1]);
  if (!readable(object, 2 * sizeof(void*))) return nullptr;
  const unsigned char* text = nullptr;
  std::memcpy(&text, object + sizeof(void*), sizeof text);
  return text;
}

}  // namespace

void read_pascal_message(const EXCEPTION_RECORD& exception, HostException& raised) noexcept {
  raised.text_unit = 0;
  raised.text_size = 0;
  raised.text_code_page = 0;
  const bool delphi = exception.ExceptionCode == kDelphiException;
  if (!delphi && exception.ExceptionCode != kFreePascalException) return;
  const StringHeader& header = delphi ? kDelphiString : kFreePascalString;
  const unsigned char* text = message_of(exception);
  if (text == nullptr || !readable(text + header.code_page, static_cast<size_t>(-header.code_page)))
    return;
  auto code_page = static_cast<uint16_t>(number_at(text + header.code_page, 2));
  auto unit = static_cast<uint16_t>(number_at(text + header.unit_size, 2));
  const uint64_t length = number_at(text + header.length, header.length_bytes);
  if (delphi && !(unit == 2 && code_page == kUtf16CodePage) && unit != 1) {
    unit = 1;  // an older Delphi's string: no code page of its own
    code_page = 0;
  }
  if ((unit != 1 && unit != 2) || length == 0 || length > kMaxLength) return;
  const size_t bytes = static_cast<size_t>(length) * unit;
  if (!readable(text, bytes + unit) || number_at(text + bytes, unit) != 0) return;
  size_t kept = bytes < kHostExceptionTextBytes ? bytes : kHostExceptionTextBytes;
  kept -= kept % unit;
  std::memcpy(raised.text, text, kept);
  raised.text_size = static_cast<uint32_t>(kept);
  raised.text_code_page = code_page == kNoCodePage ? 0 : code_page;
  raised.text_unit = static_cast<uint8_t>(unit);
}

}  // namespace pharmex::platform
