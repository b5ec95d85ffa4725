// The message of a Pascal runtime's exception, read from the structured
// exception that carries it.
//
// Delphi raises its exceptions as code 0x0EEDFADE, Free Pascal as
// 0xE0465043 ("\xE0FPC"); both put the address of the exception object in
// the second parameter (the first is the address of the raise). The object
// starts with its class pointer, followed by the fields in declaration
// order; the first field of Exception is its message, a string reference:
// the address of the first character, with the string's header in front of
// it:
//
//   Delphi 2009 and later, 32- and 64-bit: code page (16 bits), unit size
//     (16 bits, 2: the text is UTF-16, code page 1200), reference count and
//     length in units (32 bits each); 64-bit puts 4 bytes of padding first.
//     Older Delphi: reference count and length only (8-bit text in the
//     system's ANSI page), the allocator's bytes in front of them.
//   Free Pascal (seen on 3.2, both Windows): code page, unit size, padding
//     to a pointer's size, then reference count and length, each
//     pointer-sized. Code page 0 is the system's ANSI page.
//
// Every string ends with a zero unit after its length.
//
// The reader runs inside the guard's handler, before the host's frames are
// unwound (the object may be freed during the unwind). It checks every byte
// it reads against the system's view of the memory (VirtualQuery), so an
// object that is no Exception or a damaged pointer gives no message, never a
// second fault, and it allocates nothing.
#pragma once

#include <windows.h>

#include "platform/structured_exceptions.h"

namespace pharmex::platform {

// Stores the exception object's message in `raised` (text_unit, text_size,
// text_code_page, text; cut to the room there is); sets text_unit to 0
// when the exception is none of a Pascal runtime or its message cannot be
// read safely.
void read_pascal_message(const EXCEPTION_RECORD& exception, HostException& raised) noexcept;

}  // namespace pharmex::platform
